#pragma once

#include <QString>

namespace parlevo {

// The main window's placement in twips when the file has none: 800 by 600 pixels at 96 dpi, the
// least size at which every page shows all its controls.
inline constexpr qint32 kDefaultWindowTop = 1000;
inline constexpr qint32 kDefaultWindowLeft = 1000;
inline constexpr qint32 kDefaultWindowWidth = 12000;
inline constexpr qint32 kDefaultWindowHeight = 9000;

// Settings read once at start-up from "Parlevo.cfg" and written once at shutdown.
struct Config {
    QString Expediteur;
    bool WindowMaximized = false;
    qint32 WindowTop = 0;
    qint32 WindowLeft = 0;
    qint32 WindowWidth = 0;
    qint32 WindowHeight = 0;
    bool ColumnGroup = true;
    bool ColumnCompany = true;
    bool ColumnTitle = false;
    bool ColumnFullName = true;
    bool ColumnFirstName = false;
    bool ColumnLastName = false;
    bool ColumnGSM = true;
    // How a mailing sends: at most this many SMS a minute (0: no limit), this many requests at once.
    qint32 MaxSmsPerMinute = 0;
    qint32 ParallelRequests = 1;
    // Mailings are commercial: kept to the legal sending hours and expected to offer STOP.
    bool CommercialSms = false;
    // The user's own mobile, where a mailing's test SMS goes; as typed.
    QString MyNumber;
};

// The main window's placement at shutdown, in twips.
struct WindowGeometry {
    qint32 top = 0;
    qint32 left = 0;
    qint32 width = 0;
    qint32 height = 0;
    bool maximized = false;
};

inline constexpr const char16_t *kConfigFileName = u"Parlevo.cfg";

} // namespace parlevo
