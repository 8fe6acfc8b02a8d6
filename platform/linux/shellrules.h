#pragma once
// Pure rules behind the Linux shell services, kept apart from the system calls so that they
// can be tested on their own.

#include <QString>

namespace orvenna::platform {

// One argument of a desktop entry's Exec key, quoted by the freedesktop desktop-entry rules:
// enclosed in double quotes with '"', '`', '$' and '\' escaped by a backslash, '%' doubled
// (it would start a field code), and then escaped as a desktop-file string value (backslash
// doubled; newline, tab and carriage return as \n, \t, \r). Whatever the argument holds, a
// reader gets back exactly this one argument.
QString QuoteExecArgument(const QString& argument);

// The whole autostart entry that starts the executable at log-on.
QString AutostartEntryText(const QString& executable);

// The user's autostart folder, with a trailing '/': $XDG_CONFIG_HOME/autostart/, or
// $HOME/.config/autostart/ when XDG_CONFIG_HOME is unset, empty or not absolute.
QString AutostartFolder();

// The entry's file name inside AutostartFolder().
inline constexpr const char* AutostartFileName = "orvenna.desktop";

}  // namespace orvenna::platform
