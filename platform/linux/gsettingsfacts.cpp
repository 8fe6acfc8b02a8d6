// GIO first: Qt's "signals" keyword would clash with a member of a GIO structure.
#include <gio/gio.h>

#include "platform/linux/desktopsources.h"
#include "platform/linux/gsettingswatch.h"

#include <memory>
#include <vector>

namespace orvenna::platform {

namespace {

struct TUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
using TSettings = std::unique_ptr<GSettings, TUnref>;

constexpr const char* GnomeBackground = "org.gnome.desktop.background";
constexpr const char* GnomeInterface = "org.gnome.desktop.interface";
constexpr const char* CinnamonBackground = "org.cinnamon.desktop.background";
constexpr const char* MateBackground = "org.mate.background";

// g_settings_new() aborts the process for a schema that is not installed; look it up first.
TSettings OpenSchema(const char* id)
{
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* schema = source ? g_settings_schema_source_lookup(source, id, TRUE) : nullptr;
    if (!schema)
        return nullptr;
    TSettings settings(g_settings_new_full(schema, nullptr, nullptr));
    g_settings_schema_unref(schema);
    return settings;
}

bool HasKey(GSettings* settings, const char* key)
{
    GSettingsSchema* schema = nullptr;
    g_object_get(settings, "settings-schema", &schema, nullptr);
    const bool has = schema && g_settings_schema_has_key(schema, key);
    if (schema)
        g_settings_schema_unref(schema);
    return has;
}

QString StringKey(GSettings* settings, const char* key)
{
    if (!HasKey(settings, key))
        return {};
    gchar* text = g_settings_get_string(settings, key);
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
    g_object_get(settings, "schema-id", &id, nullptr);
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
        values.DrawBackground = g_settings_get_boolean(settings.get(), "draw-background") != FALSE;
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
        g_signal_connect(settings.get(), "changed", G_CALLBACK(OnChanged), &Impl->OnChange);
        // GSettings reports a change only of keys read since a handler was connected.
        for (const char* key : WatchedKeys) {
            if (HasKey(settings.get(), key))
                g_variant_unref(g_settings_get_value(settings.get(), key));
        }
        Impl->Watched.push_back(std::move(settings));
    }
}

TGSettingsWatch::~TGSettingsWatch()
{
    for (const auto& settings : Impl->Watched)
        g_signal_handlers_disconnect_by_data(settings.get(), &Impl->OnChange);
}

}  // namespace orvenna::platform
