// The wallpaper's GSettings keys (GNOME, Cinnamon, MATE), read and watched through GIO.
//
// GIO and GObject are loaded when a GSettings source is first consulted (lazylibrary.h): a
// session whose desktop keeps its wallpaper in its own file (XFCE, Plasma) never pays for them.
// GLib itself is linked; Qt loads it anyway. Without GIO the GSettings sources count as absent.

// GIO first: Qt's "signals" keyword would clash with a member of a GIO structure.
#include <gio/gio.h>

#include "platform/linux/desktopsources.h"
#include "platform/linux/gsettingswatch.h"
#include "platform/linux/lazylibrary.h"

#include <memory>
#include <vector>

namespace orvenna::platform {

namespace {

// The calls of GIO and GObject this file makes, resolved once for the process.
struct TGioCalls {
    decltype(&g_settings_schema_source_get_default) SchemaSourceGetDefault = nullptr;
    decltype(&g_settings_schema_source_lookup) SchemaSourceLookup = nullptr;
    decltype(&g_settings_schema_has_key) SchemaHasKey = nullptr;
    decltype(&g_settings_schema_unref) SchemaUnref = nullptr;
    decltype(&g_settings_new_full) SettingsNewFull = nullptr;
    decltype(&g_settings_get_string) GetString = nullptr;
    decltype(&g_settings_get_boolean) GetBoolean = nullptr;
    decltype(&g_settings_get_value) GetValue = nullptr;
    decltype(&g_object_get) ObjectGet = nullptr;
    decltype(&g_object_unref) ObjectUnref = nullptr;
    decltype(&g_signal_connect_data) SignalConnectData = nullptr;
    decltype(&g_signal_handlers_disconnect_matched) SignalHandlersDisconnectMatched = nullptr;
};

bool ResolveGio(TLazyLibrary& gio, TLazyLibrary& gobject, TGioCalls& calls)
{
    return gio.Resolve(calls.SchemaSourceGetDefault, "g_settings_schema_source_get_default") &&
           gio.Resolve(calls.SchemaSourceLookup, "g_settings_schema_source_lookup") &&
           gio.Resolve(calls.SchemaHasKey, "g_settings_schema_has_key") &&
           gio.Resolve(calls.SchemaUnref, "g_settings_schema_unref") &&
           gio.Resolve(calls.SettingsNewFull, "g_settings_new_full") &&
           gio.Resolve(calls.GetString, "g_settings_get_string") &&
           gio.Resolve(calls.GetBoolean, "g_settings_get_boolean") &&
           gio.Resolve(calls.GetValue, "g_settings_get_value") &&
           gobject.Resolve(calls.ObjectGet, "g_object_get") &&
           gobject.Resolve(calls.ObjectUnref, "g_object_unref") &&
           gobject.Resolve(calls.SignalConnectData, "g_signal_connect_data") &&
           gobject.Resolve(calls.SignalHandlersDisconnectMatched, "g_signal_handlers_disconnect_matched");
}

// Null when GIO or one of its calls is missing (logged once, by the library).
const TGioCalls* Gio()
{
    static const TGioCalls* const calls = [] {
        static TLazyLibrary gio("libgio-2.0.so.0");
        static TLazyLibrary gobject("libgobject-2.0.so.0");
        static TGioCalls resolved;
        return ResolveGio(gio, gobject, resolved) ? &resolved : nullptr;
    }();
    return calls;
}

// Only for objects made through Gio(), which is then at hand.
struct TUnref {
    void operator()(gpointer object) const { Gio()->ObjectUnref(object); }
};
using TSettings = std::unique_ptr<GSettings, TUnref>;

constexpr const char* GnomeBackground = "org.gnome.desktop.background";
constexpr const char* GnomeInterface = "org.gnome.desktop.interface";
constexpr const char* CinnamonBackground = "org.cinnamon.desktop.background";
constexpr const char* MateBackground = "org.mate.background";

// g_settings_new() aborts the process for a schema that is not installed; look it up first.
// Null also when GIO is missing: then no schema counts as installed.
TSettings OpenSchema(const char* id)
{
    const TGioCalls* gio = Gio();
    if (!gio)
        return nullptr;
    GSettingsSchemaSource* source = gio->SchemaSourceGetDefault();
    GSettingsSchema* schema = source ? gio->SchemaSourceLookup(source, id, TRUE) : nullptr;
    if (!schema)
        return nullptr;
    TSettings settings(gio->SettingsNewFull(schema, nullptr, nullptr));
    gio->SchemaUnref(schema);
    return settings;
}

bool HasKey(GSettings* settings, const char* key)
{
    GSettingsSchema* schema = nullptr;
    Gio()->ObjectGet(settings, "settings-schema", &schema, nullptr);
    const bool has = schema && Gio()->SchemaHasKey(schema, key);
    if (schema)
        Gio()->SchemaUnref(schema);
    return has;
}

QString StringKey(GSettings* settings, const char* key)
{
    if (!HasKey(settings, key))
        return {};
    gchar* text = Gio()->GetString(settings, key);
    QString value = QString::fromUtf8(text);
    g_free(text);
    return value;
}

bool PrefersDark()
{
    const TSettings interface = OpenSchema(GnomeInterface);
    return interface && StringKey(interface.get(), "color-scheme") == QLatin1String("prefer-dark");
}

const char* SchemaOf(TDesktopSource source)
{
    switch (source) {
    case TDesktopSource::Gnome: return GnomeBackground;
    case TDesktopSource::Cinnamon: return CinnamonBackground;
    case TDesktopSource::Mate: return MateBackground;
    default: return nullptr;
    }
}

const char* const WatchedKeys[] = {"picture-uri", "picture-uri-dark", "picture-options", "primary-color",
                                   "picture-filename", "draw-background", "color-scheme"};

QString SchemaIdOf(GSettings* settings)
{
    gchar* id = nullptr;
    Gio()->ObjectGet(settings, "schema-id", &id, nullptr);
    QString text = QString::fromUtf8(id);
    g_free(id);
    return text;
}

// GNOME shows one of its two pictures: the dark one while the dark style is on and it names a
// picture, the light one otherwise. A change of the other one changes nothing on screen.
bool KeyApplies(GSettings* settings, const gchar* key)
{
    const bool dark = g_strcmp0(key, "picture-uri-dark") == 0;
    if ((!dark && g_strcmp0(key, "picture-uri") != 0)
        || SchemaIdOf(settings) != QLatin1String(GnomeBackground))
        return true;
    const bool darkShown = PrefersDark() && !StringKey(settings, "picture-uri-dark").isEmpty();
    return dark ? PrefersDark() : !darkShown;
}

void OnChanged(GSettings* settings, const gchar* key, gpointer handler)
{
    for (const char* watched : WatchedKeys) {
        if (g_strcmp0(key, watched) == 0) {
            if (KeyApplies(settings, key))
                (*static_cast<std::function<void()>*>(handler))();
            return;
        }
    }
}

}  // namespace

std::optional<TGSettingsBackground> ReadGSettingsBackground(TDesktopSource source)
{
    const char* schema = SchemaOf(source);
    const TSettings settings = schema ? OpenSchema(schema) : nullptr;
    if (!settings)
        return std::nullopt;
    TGSettingsBackground values;
    values.Options = StringKey(settings.get(), "picture-options");
    values.PrimaryColor = StringKey(settings.get(), "primary-color");
    if (source == TDesktopSource::Mate) {
        values.Picture = StringKey(settings.get(), "picture-filename");
        values.DrawBackground = Gio()->GetBoolean(settings.get(), "draw-background") != FALSE;
        return values;
    }
    values.Picture = StringKey(settings.get(), "picture-uri");
    if (source == TDesktopSource::Gnome && PrefersDark()) {
        const QString dark = StringKey(settings.get(), "picture-uri-dark");
        if (!dark.isEmpty())
            values.Picture = dark;
    }
    return values;
}

struct TGSettingsWatch::TImpl {
    std::function<void()> OnChange;
    std::vector<TSettings> Watched;
};

TGSettingsWatch::TGSettingsWatch(std::function<void()> onChange) : Impl(std::make_unique<TImpl>())
{
    Impl->OnChange = std::move(onChange);
    for (const char* id : {GnomeBackground, GnomeInterface, CinnamonBackground, MateBackground}) {
        TSettings settings = OpenSchema(id);
        if (!settings)
            continue;
        Gio()->SignalConnectData(settings.get(), "changed", G_CALLBACK(OnChanged), &Impl->OnChange,
                                 nullptr, GConnectFlags(0));
        // GSettings reports a change only of keys read since a handler was connected.
        for (const char* key : WatchedKeys) {
            if (HasKey(settings.get(), key))
                g_variant_unref(Gio()->GetValue(settings.get(), key));
        }
        Impl->Watched.push_back(std::move(settings));
    }
}

TGSettingsWatch::~TGSettingsWatch()
{
    for (const auto& settings : Impl->Watched)
        Gio()->SignalHandlersDisconnectMatched(settings.get(), G_SIGNAL_MATCH_DATA, 0, 0, nullptr,
                                               nullptr, &Impl->OnChange);
}

}  // namespace orvenna::platform
