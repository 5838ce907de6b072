// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Who makes the program and how to reach them. Placeholders, kept here only.
namespace MakerInfo {

inline QString Name()
{
    return QStringLiteral("Studio Codazzurra");
}
inline QString WebAddress()
{
    return QStringLiteral("https://www.codazzurra.example/");
}
inline QString SupportEmail()
{
    return QStringLiteral("assistenza@codazzurra.example");
}
// The program's version, from the build.
inline QString Version()
{
    return QStringLiteral(CODAZZURRA_VERSION);
}
inline QString ApplicationTitle()
{
    return QStringLiteral("Codazzurra");
}
// The name the desktop knows the program by: its menu entry, its icons and its AppStream component, the
// maker's web address reversed.
inline QString ApplicationId()
{
    return QStringLiteral(CODAZZURRA_APP_ID);
}
// The start menu's footer line.
inline QString CreditLine()
{
    return QStringLiteral("Codazzurra \u00b7 realizzato da Studio Codazzurra \u00b7 www.codazzurra.example");
}
// The credits screen's caption: product, copyright sign, credit.
inline QString CreditsCaption()
{
    return QStringLiteral("Codazzurra \u00a9 Studio Codazzurra");
}

} // namespace MakerInfo
