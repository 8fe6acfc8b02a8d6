# The Debian package (cpack -G DEB in the build folder): the install rules of dist/ and images/
# under /usr. The libraries it needs are worked out from the executables (dpkg-shlibdeps);
# what the program only loads at run time is named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvenna)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Orvenna developers")
set(CPACK_PACKAGE_CONTACT "The Orvenna developers <developers@orvenna.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "month calendar on the desktop with day notes and timed reminders")
set(CPACK_PACKAGE_DESCRIPTION
  "Orvenna keeps a small month calendar on the desktop itself, painted over the
wallpaper, with a note and timed reminders for every day. When a reminder
falls due a sound plays and an alert slides out of the panel's edge.

The package also holds orvenna-notes, a command-line companion that reads,
scripts and repairs the notes file and imports and exports iCalendar.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded by the program when first used (platform/linux/lazylibrary.h), so no executable names
# them: the event-sound library, the Secret Service's, and GLib's GIO for the wallpaper's
# GSettings keys, at the version of the calls it resolves (g_settings_schema_has_key). GLib
# itself is linked, so dpkg-shlibdeps names the package, but only at the version its own calls
# need.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcanberra0, libsecret-1-0, libglib2.0-0 (>= 2.39.4)")
# Loaded at run time, not linked: the wallpaper's desktop settings schema, the sound server's
# module of the event-sound library, Qt's WebP and TIFF readers, a font.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
  "gsettings-desktop-schemas, libcanberra-pulse, qt6-image-formats-plugins, fonts-dejavu-core")
include(CPack)
