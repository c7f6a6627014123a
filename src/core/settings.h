#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <optional>
#include <utility>

namespace zemble {

// The per-user settings store: text values under the application "Zemble",
// section "settings".  The program reads and writes through the settings
// table below; these bare calls name their own default (a number default
// comes back as its decimal text).  Nothing is cached, so a value saved
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
int sendTypeIndex(int stored);

// One entry of the settings table: the key's text and what a read gives when
// the key is absent.  The type says how the stored text is taken: a text as
// it is; a switch on only for the exact text "yes" (written "yes" or "no");
// a number as its leading numeral (see leadingNumberInt16), written as its
// decimal text.  Text defaults are plain literals so the table stays constant.
template <typename T> struct SettingFallbackType { using type = T; };
template <> struct SettingFallbackType<QString> { using type = const char*; };

template <typename T> struct Setting {
    const char* key;
    typename SettingFallbackType<T>::type fallback;
};

QString readSetting(const Setting<QString>& setting);
bool readSetting(const Setting<bool>& setting);
int readSetting(const Setting<int>& setting);
void writeSetting(const Setting<QString>& setting, const QString& value);
void writeSetting(const Setting<bool>& setting, bool on);
void writeSetting(const Setting<int>& setting, int value);

// The text stored under a key as the file holds it; nothing when the key is
// absent.  For the few places that must tell "never saved" from a default.
std::optional<QString> storedSettingText(const QString& key);

// Every key of the store with its type and default.  The program names keys
// only through this table, so a misspelt name does not compile and a default
// is written once (the store calls still take any text, as the tests pass
// literal keys).  Its own settings come first; then the operator's hosts, the
// extra trusted authorities and the web pages, which are set only from
// outside the program.
namespace setting {
// List index of the send method: 0 free, 1 paid
inline constexpr Setting<int> sendType{"sendtype", 0};
// The remembered portal user name
inline constexpr Setting<QString> wispUsername{"wispusername", ""};
// Scrambled: the remembered portal password
inline constexpr Setting<QString> wispPassword{"wisppassword", ""};
// The continuation indicator; deleted when unticked
inline constexpr Setting<QString> textClipChar{"textclipchar", ""};
// Show the page display while the site is driven
inline constexpr Setting<bool> showIeWindow{"showiewindow", false};
// "end", "confirm" or "ask": what closing the compose window asks
inline constexpr Setting<QString> quitConfirm{"quitconfirm", "confirm"};
// The signature tick box of the preferences
inline constexpr Setting<bool> appendSignature{"appendsignature", false};
// Text every new message starts with
inline constexpr Setting<QString> signature{"signature", ""};
// The user's own number for confirmation copies
inline constexpr Setting<QString> confNumber{"confnumber", ""};
// Tick the confirmation in every new message
inline constexpr Setting<bool> defaultSmsConf{"defaultsmsconf", false};
// Start without the splash window
inline constexpr Setting<bool> hideSplashScreen{"hidesplashscreen", false};
// Minimising hides behind a tray icon
inline constexpr Setting<bool> systemTray{"systemtray", false};
// Keep the sent-message log
inline constexpr Setting<bool> logSent{"logsent", false};
// The sent-message log's file
inline constexpr Setting<QString> smsLogLocation{"smsloglocation", ""};
// Keep the portal session open after a send
inline constexpr Setting<bool> dontLogout{"dontlogout", false};
// Set only from outside: no send limits
inline constexpr Setting<bool> noSendLimit{"nosendlimit", false};
// Free texts left, -1 unknown
inline constexpr Setting<int> quotaLeft{"quotaleft", -1};
// Paid texts left, -1 unknown
inline constexpr Setting<int> paidQuotaLeft{"paidquotaleft", -1};

// "operator" or "kannel": where texts are sent (anything else counts as "operator")
inline constexpr Setting<QString> sendRoute{"sendroute", "operator"};
// The SMS gateway's address, e.g. "http://localhost:13013"
inline constexpr Setting<QString> gatewayUrl{"gatewayurl", ""};
// The gateway's sendsms user name
inline constexpr Setting<QString> gatewayUsername{"gatewayusername", ""};
// Scrambled: the remembered gateway password when no keyring takes it
inline constexpr Setting<QString> gatewayPassword{"gatewaypassword", ""};
// The sender number the gateway puts on texts; empty: the gateway's own
inline constexpr Setting<QString> gatewaySender{"gatewaysender", ""};
// The gateway's SMS centre id to send through; empty: the gateway chooses
inline constexpr Setting<QString> gatewaySmsc{"gatewaysmsc", ""};

// The operator's four public hosts and the extra trusted authorities.
inline constexpr Setting<QString> portalHost{"portalhost", "login.o2.co.uk"};
inline constexpr Setting<QString> shopHost{"shophost", "shop.o2.co.uk"};
inline constexpr Setting<QString> smsHost{"smshost", "sendtxt.o2.co.uk"};
inline constexpr Setting<QString> webHost{"webhost", "www.o2.co.uk"};
inline constexpr Setting<QString> extraCaFile{"extracafile", ""};
// Web pages opened in the desktop's browser.
inline constexpr Setting<QString> operatorHomePage{"operatorhomepage", "http://www.o2.co.uk/"};
inline constexpr Setting<QString> productHomePage{"homepage", "http://www.zemble.co.uk/"};
inline constexpr Setting<QString> messageBoardPage{"messageboardpage",
                                                   "http://www.zemble.co.uk/board/"};
inline constexpr Setting<QString> guestbookPage{"guestbookpage",
                                                "http://www.zemble.co.uk/guestbook/"};
} // namespace setting

// The bare key texts and host defaults of the table, for code that still
// reads through get_setting.
namespace keys {
inline constexpr auto sendType = setting::sendType.key;
inline constexpr auto wispUsername = setting::wispUsername.key;
inline constexpr auto wispPassword = setting::wispPassword.key;
inline constexpr auto textClipChar = setting::textClipChar.key;
inline constexpr auto showIeWindow = setting::showIeWindow.key;
inline constexpr auto quitConfirm = setting::quitConfirm.key;
inline constexpr auto appendSignature = setting::appendSignature.key;
inline constexpr auto signature = setting::signature.key;
inline constexpr auto confNumber = setting::confNumber.key;
inline constexpr auto defaultSmsConf = setting::defaultSmsConf.key;
inline constexpr auto hideSplashScreen = setting::hideSplashScreen.key;
inline constexpr auto systemTray = setting::systemTray.key;
inline constexpr auto logSent = setting::logSent.key;
inline constexpr auto smsLogLocation = setting::smsLogLocation.key;
inline constexpr auto dontLogout = setting::dontLogout.key;
inline constexpr auto noSendLimit = setting::noSendLimit.key;
inline constexpr auto quotaLeft = setting::quotaLeft.key;
inline constexpr auto paidQuotaLeft = setting::paidQuotaLeft.key;
inline constexpr auto sendRoute = setting::sendRoute.key;
inline constexpr auto gatewayUrl = setting::gatewayUrl.key;
inline constexpr auto gatewayUsername = setting::gatewayUsername.key;
inline constexpr auto gatewayPassword = setting::gatewayPassword.key;
inline constexpr auto gatewaySender = setting::gatewaySender.key;
inline constexpr auto gatewaySmsc = setting::gatewaySmsc.key;
inline constexpr auto portalHost = setting::portalHost.key;
inline constexpr auto shopHost = setting::shopHost.key;
inline constexpr auto smsHost = setting::smsHost.key;
inline constexpr auto webHost = setting::webHost.key;
inline constexpr auto extraCaFile = setting::extraCaFile.key;
inline constexpr auto operatorHomePage = setting::operatorHomePage.key;
inline constexpr auto productHomePage = setting::productHomePage.key;
inline constexpr auto messageBoardPage = setting::messageBoardPage.key;
inline constexpr auto guestbookPage = setting::guestbookPage.key;
} // namespace keys

inline constexpr auto kDefaultPortalHost = setting::portalHost.fallback;
inline constexpr auto kDefaultShopHost = setting::shopHost.fallback;
inline constexpr auto kDefaultSmsHost = setting::smsHost.fallback;
inline constexpr auto kDefaultWebHost = setting::webHost.fallback;

} // namespace zemble
