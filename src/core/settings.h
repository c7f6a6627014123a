#pragma once

#include <QList>
#include <QString>

#include <utility>

namespace zemble {

// The per-user settings store: text values under the application "Zemble",
// section "settings".  Every read names its own default; a number default
// comes back as its decimal text.  Nothing is cached, so a value saved
// anywhere is seen by the next read everywhere.
QString get_setting(const QString& key, const QString& fallback);
QString get_setting(const QString& key, const char* fallback);
QString get_setting(const QString& key, int fallback);
void save_setting(const QString& key, const QString& value);
// Saves several keys in one write of the file.
void save_settings(const QList<std::pair<QString, QString>>& values);
void delete_setting(const QString& key);

// Switches are on only for the exact text "yes"; an absent switch is "no".
bool setting_is_yes(const QString& key);

// The file behind the store.  By default the per-user file
// ~/.config/Zemble/Zemble.ini (XDG_CONFIG_HOME is honoured); tests and the
// demo profile point it elsewhere.  An empty path restores the default.
QString settings_file_path();
void set_settings_file_path(const QString& path);

// The stored form of the portal password: a cyclic shift within the
// printable range 32..126 with the repeating shifts 2, 1, 5.  Characters
// outside that range are kept as they are (the shift still advances), so
// every password comes back exactly.
QString scramble_password(const QString& password);
QString unscramble_password(const QString& stored);

// The numeric value of a text as the quota readers take it: its leading
// decimal numeral (blanks ignored, optional sign and fraction), 0 when it
// does not start with one, rounded half to even and held to the 16-bit range.
qint16 leading_number_int16(const QString& text);

// The send-method list index stored under "sendtype": 0 (free) or 1 (paid).
// A value the program never writes reads as the nearest of the two.
int send_type_index(const QString& stored);

// Keys of the operator's four hosts and of the extra trusted authorities.
namespace keys {
inline constexpr auto portalHost = "portalhost";
inline constexpr auto shopHost = "shophost";
inline constexpr auto smsHost = "smshost";
inline constexpr auto webHost = "webhost";
inline constexpr auto extraCaFile = "extracafile";
// Web pages opened in the desktop's browser.
inline constexpr auto operatorHomePage = "operatorhomepage";
inline constexpr auto productHomePage = "homepage";
inline constexpr auto messageBoardPage = "messageboardpage";
inline constexpr auto guestbookPage = "guestbookpage";
} // namespace keys

// Defaults of the operator's public hosts.
inline constexpr auto kDefaultPortalHost = "login.o2.co.uk";
inline constexpr auto kDefaultShopHost = "shop.o2.co.uk";
inline constexpr auto kDefaultSmsHost = "sendtxt.o2.co.uk";
inline constexpr auto kDefaultWebHost = "www.o2.co.uk";
inline constexpr auto kDefaultOperatorHomePage = "http://www.o2.co.uk/";
inline constexpr auto kDefaultProductHomePage = "http://www.zemble.co.uk/";
inline constexpr auto kDefaultMessageBoardPage = "http://www.zemble.co.uk/board/";
inline constexpr auto kDefaultGuestbookPage = "http://www.zemble.co.uk/guestbook/";

} // namespace zemble
