#pragma once
// Where the Linux desktops keep the wallpaper facts, and how to read them. The parsers take
// text and return facts, so each source can be checked without its desktop.

#include "platform/platform.h"

#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace orvenna::platform {

enum class TDesktopSource { Gnome, Cinnamon, Mate, Xfce, Plasma };

// One screen as the desktops' settings name it.
struct TScreenOutput {
    QString Name;   // the output's name ("HDMI-1"); empty when unknown
    int Index = 0;  // its place in the list of screens, the primary one first
    QSize Pixels;   // its size in device pixels
};
// The screens of the running application in the order of TPlatform::Screens().
std::vector<TScreenOutput> ScreenOutputs();
// True for the desktops that keep a wallpaper per screen.
bool HasWallpaperPerScreen(TDesktopSource source);

// The sources to ask, first first: the desktop named by XDG_CURRENT_DESKTOP (a colon-separated
// list) before the others, then GNOME, Cinnamon, MATE, XFCE, Plasma. A GNOME schema installed
// on an XFCE or Plasma machine would otherwise always answer, with a picture nobody shows.
std::vector<TDesktopSource> SourceOrder(const QString& currentDesktop);

// ---- GSettings (GNOME, Cinnamon, MATE) ---------------------------------------------------------
struct TGSettingsBackground {
    QString Picture;       // URI (GNOME, Cinnamon) or plain path (MATE)
    QString Options;       // picture-options: none, wallpaper, centered, scaled, stretched, zoom, spanned
    QString PrimaryColor;  // "#rrggbb" and the other forms QColor reads
    bool DrawBackground = true;  // MATE's draw-background
};
TDesktopFacts FactsFromGSettings(const TGSettingsBackground& values);
// nullopt for "none" (a plain colour); unknown options are zoomed, GNOME's default.
std::optional<TWallpaperPlacement> PlacementFromGnomeOptions(const QString& options);
// file:// URIs to local paths; absolute paths stay; other schemes give empty.
QString LocalPathFromUri(const QString& uriOrPath);
// Reads the schema of source (Gnome, Cinnamon or Mate) through GIO, which the first call loads;
// nullopt when that schema is not installed or GIO cannot be used. GNOME's dark picture is used
// when the interface prefers dark.
std::optional<TGSettingsBackground> ReadGSettingsBackground(TDesktopSource source);

// ---- XFCE: the xfce4-desktop xfconf channel ---------------------------------------------------
QString XfceDesktopFile(const QString& configHome);
// The backdrop of monitor "monitor<monitorName>" (else "monitor<monitorIndex>", the older
// numbered keys, else monitor0, else the first), workspace 0. nullopt when the channel holds
// no backdrop.
std::optional<TDesktopFacts> ParseXfceDesktop(const QString& xml, const QString& monitorName,
                                              int monitorIndex = 0);

// ---- KDE Plasma: the desktop containment's wallpaper ------------------------------------------
QString PlasmaAppletsFile(const QString& configHome);
QString PlasmaShellFile(const QString& configHome);
// The image, fill mode and colour of the desktop containment on Plasma's screen screenId (else
// on screen 0, else the first). The image may still name a wallpaper package folder. nullopt
// without a desktop containment.
std::optional<TDesktopFacts> ParsePlasmaDesktop(const QString& text, int screenId = 0);
// Plasma's number of the screen on output (its [ScreenConnectors] in plasmashellrc); index,
// the screen's place with the primary one first, when the output is not listed.
int PlasmaScreenId(const QString& shellText, const QString& output, int index);
// From a package's contents/images file names ("1920x1080.jpg"): the smallest not smaller
// than screen, else the largest; empty when none is named by its size.
QString ChoosePackageImage(const QStringList& fileNames, QSize screen);

// ---- reading the real configuration -----------------------------------------------------------
// configHome is ConfigHome() of xdgpaths.h.
std::optional<TDesktopFacts> ReadXfceFacts(const QString& configHome, const TScreenOutput& screen);
std::optional<TDesktopFacts> ReadPlasmaFacts(const QString& configHome, const TScreenOutput& screen);
// The facts of source for screen; GSettings desktops have one for every screen.
std::optional<TDesktopFacts> ReadFacts(TDesktopSource source, const TScreenOutput& screen);
// True when, in SourceOrder(currentDesktop), a desktop's own file (XFCE's, Plasma's) answers for
// screen before any GSettings source comes: the facts then come without GIO, and GSettings needs
// no watch while that file answers.
bool AnswersBeforeGSettings(const QString& currentDesktop, const TScreenOutput& screen);

}  // namespace orvenna::platform
