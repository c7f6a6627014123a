#pragma once

#include <QList>
#include <QString>

#include <functional>
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
void saveSettings(const QList<std::pair<QString, QString>>& values);
void delete_setting(const QString& key);

// Who is told when a save cannot be written to the settings file (a
// read-only file, a full disk): the windows show a message box, zemble-send
// prints a line.  It learns the file and the system's reason, at the first
// failure of a run only, so that saving a whole dialog does not tell it once
// per key; setting a handler starts a new run.  Without a handler the failure
// goes to the program's warnings.
using SettingsProblemHandler = std::function<void(const QString& path, const QString& reason)>;
void setSettingsProblemHandler(SettingsProblemHandler handler);

// Switches are on only for the exact text "yes"; an absent switch is "no".
bool settingIsYes(const QString& key);

// The file behind the store.  By default the per-user file
// ~/.config/Zemble/Zemble.ini (XDG_CONFIG_HOME is honoured); tests and the
// demo profile point it elsewhere.  An empty path restores the default.
QString settingsFilePath();
void setSettingsFilePath(const QString& path);

// The stored form of the portal password: a cyclic shift within the
// printable range 32..126 with the repeating shifts 2, 1, 5.  Characters
// outside that range are kept as they are (the shift still advances), so
// every password comes back exactly.
QString scramble_password(const QString& password);
QString unscramble_password(const QString& stored);

// The numeric value of a text as the quota readers take it: its leading
// decimal numeral (blanks ignored, optional sign and fraction), 0 when it
// does not start with one, rounded half to even and held to the 16-bit range.
qint16 leadingNumberInt16(const QString& text);

// The send-method list index stored under "sendtype": 0 (free) or 1 (paid).
// A value the program never writes reads as the nearest of the two.
int sendTypeIndex(const QString& stored);

// Every key of the store.  The program names keys only through these, so a
// misspelt name does not compile (the store calls still take any text, as
// the tests pass literal keys).  Its own settings come first, each with the
// value a read gives when the key is absent; then the operator's hosts, the
// extra trusted authorities and the web pages, which are set only from
// outside the program.
namespace keys {
// Number (list index of the send method); absent: 0
inline constexpr auto sendType = "sendtype";
// Text: the remembered portal user name; absent: ""
inline constexpr auto wispUsername = "wispusername";
// Scrambled text: the remembered portal password; absent: ""
inline constexpr auto wispPassword = "wisppassword";
// Text: the continuation indicator; deleted when unticked; absent: ""
inline constexpr auto textClipChar = "textclipchar";
// Switch: show the page display while the site is driven; absent: "no"
inline constexpr auto showIeWindow = "showiewindow";
// "end", "confirm" or "ask": what closing the compose window asks; absent: "confirm"
inline constexpr auto quitConfirm = "quitconfirm";
// Switch: the signature tick box of the preferences; absent: "no"
inline constexpr auto appendSignature = "appendsignature";
// Text every new message starts with; absent: ""
inline constexpr auto signature = "signature";
// Text: the user's own number for confirmation copies; absent: ""
inline constexpr auto confNumber = "confnumber";
// Switch: tick the confirmation in every new message; absent: "no"
inline constexpr auto defaultSmsConf = "defaultsmsconf";
// Switch: start without the splash window; absent: "no"
inline constexpr auto hideSplashScreen = "hidesplashscreen";
// Switch: minimising hides behind a tray icon; absent: "no"
inline constexpr auto systemTray = "systemtray";
// Switch: keep the sent-message log; absent: "no"
inline constexpr auto logSent = "logsent";
// Text: the sent-message log's file; absent: ""
inline constexpr auto smsLogLocation = "smsloglocation";
// Switch: keep the portal session open after a send; absent: "no"
inline constexpr auto dontLogout = "dontlogout";
// Switch, set only from outside: no send limits; absent: "no"
inline constexpr auto noSendLimit = "nosendlimit";
// Number: free texts left, -1 unknown; absent: -1
inline constexpr auto quotaLeft = "quotaleft";
// Number: paid texts left, -1 unknown; absent: -1
inline constexpr auto paidQuotaLeft = "paidquotaleft";

// "operator" or "kannel": where texts are sent; absent (or anything else): "operator"
inline constexpr auto sendRoute = "sendroute";
// Text: the SMS gateway's address, e.g. "http://localhost:13013"; absent: ""
inline constexpr auto gatewayUrl = "gatewayurl";
// Text: the gateway's sendsms user name; absent: ""
inline constexpr auto gatewayUsername = "gatewayusername";
// Scrambled text: the remembered gateway password when no keyring takes it; absent: ""
inline constexpr auto gatewayPassword = "gatewaypassword";
// Text: the sender number the gateway puts on texts; absent: "" (the gateway's own)
inline constexpr auto gatewaySender = "gatewaysender";
// Text: the gateway's SMS centre id to send through; absent: "" (the gateway chooses)
inline constexpr auto gatewaySmsc = "gatewaysmsc";

// The operator's four hosts and the extra trusted authorities.
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
