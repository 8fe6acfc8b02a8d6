# Sourced by the bench scripts inside scripts/xsession.sh: a desktop's keys naming a picture as
# the wallpaper, stretched over the screen.
#   xfce_wallpaper PICTURE    XFCE's xfce4-desktop channel file
#   gnome_wallpaper PICTURE   GNOME's GSettings keys

xfce_wallpaper() {
  local channel="$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml/xfce4-desktop.xml"
  mkdir -p "$(dirname "$channel")"
  cat >"$channel" <<EOT
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-desktop" version="1.0">
  <property name="backdrop" type="empty">
    <property name="screen0" type="empty">
      <property name="monitor0" type="empty">
        <property name="workspace0" type="empty">
          <property name="color-style" type="int" value="0"/>
          <property name="image-style" type="int" value="3"/>
          <property name="last-image" type="string" value="$1"/>
        </property>
      </property>
    </property>
  </property>
</channel>
EOT
}

gnome_wallpaper() {
  gsettings set org.gnome.desktop.background picture-options stretched
  gsettings set org.gnome.desktop.background picture-uri "file://$1"
}
