#include "shell/preferences_dialog.h"

#include "ui_frmPrefs.h"

#include "compose/compose_host.h"
#include "core/gateway_address.h"
#include "core/phone.h"
#include "platform/file_dialog.h"
#include "platform/help.h"
#include "platform/keyboard.h"

#include <QCloseEvent>
#include <QFocusEvent>

namespace zemble {
namespace {

inline constexpr auto kLogFileFilters = "Text documents (*.txt)|*.txt|All files (*.*)|*.*";
inline constexpr auto kLogFileChooserTitle = "Save As";

} // namespace

PreferencesDialog::PreferencesDialog(ComposeHost* host, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::frmPrefs>()), host_(host) {
    ui_->setupUi(this);
    // The masked password shows one "*" per character on every style.
    for (QLineEdit* box : {ui_->txtPassword, ui_->txtGatewayPassword})
        box->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    ui_->lblGatewayClearText->setStyleSheet(QStringLiteral("QLabel { color: #c00000; }"));

    connect(ui_->cmdOkay, &QPushButton::clicked, this, &PreferencesDialog::cmdOkay_Click);
    connect(ui_->cmdCancel, &QPushButton::clicked, this, &PreferencesDialog::cmdCancel_Click);
    connect(ui_->cmdHelp, &QPushButton::clicked, this, &PreferencesDialog::cmdHelp_Click);
    connect(ui_->cmdBrowserSMSLogPath, &QPushButton::clicked, this,
            &PreferencesDialog::cmdBrowserSMSLogPath_Click);
    connect(ui_->txtClip, &QLineEdit::textChanged, this, &PreferencesDialog::txtClip_Change);
    connect(ui_->txtSignature, &QLineEdit::textChanged, this,
            &PreferencesDialog::txtSignature_Change);
    // A tick changed by mouse or keyboard.
    for (QCheckBox* box : {ui_->chkTextClip, ui_->chkSignature, ui_->chkLogSent})
        connect(box, &QCheckBox::toggled, this, &PreferencesDialog::refresh_controls);
    connect(ui_->optRouteGateway, &QRadioButton::toggled, this,
            &PreferencesDialog::refresh_controls);
    connect(ui_->txtGatewayUrl, &QLineEdit::textChanged, this,
            &PreferencesDialog::txtGatewayUrl_Change);
    ui_->txtClip->installEventFilter(this);
    ui_->txtConfNumber->installEventFilter(this);

    Form_Load();
}

PreferencesDialog::~PreferencesDialog() = default;

void PreferencesDialog::Form_Load() {
    ui_->cmbConfirm->clear();
    for (const char* entry : kQuitConfirmEntries)
        ui_->cmbConfirm->addItem(QString::fromUtf8(entry));

    PasswordPlace place = PasswordPlace::SettingsFile;
    PasswordPlace gatewayPlace = PasswordPlace::SettingsFile;
    const Preferences p = loadPreferences(&place, &gatewayPlace);
    ui_->lblPasswordPlace->setText(passwordPlaceText(place));
    ui_->lblGatewayPasswordPlace->setText(passwordPlaceText(gatewayPlace));
    ui_->cmbConfirm->setCurrentIndex(p.quitConfirmIndex);
    ui_->txtUsername->setText(p.username);
    ui_->txtPassword->setText(p.password);
    ui_->txtClip->setText(p.clip);
    ui_->chkTextClip->setChecked(p.clipTicked);
    ui_->chkShowWindow->setChecked(p.showWindow);
    ui_->txtSignature->setText(p.signature);
    ui_->chkSignature->setChecked(p.appendSignature);
    ui_->txtConfNumber->setText(p.confNumber);
    ui_->chkDefaultSMSConf->setChecked(p.defaultSmsConf);
    ui_->chkHideSplashScreen->setChecked(p.hideSplashScreen);
    ui_->chkSystemTray->setChecked(p.systemTray);
    ui_->chkLogSent->setChecked(p.logSent);
    ui_->txtSMSLog->setText(p.smsLogLocation);
    ui_->chkDontLogout->setChecked(p.dontLogout);
    const bool gateway = p.route == SendRoute::KannelGateway;
    ui_->optRouteGateway->setChecked(gateway);
    ui_->optRouteOperator->setChecked(!gateway);
    ui_->txtGatewayUrl->setText(p.gatewayUrl);
    ui_->txtGatewayUsername->setText(p.gatewayUsername);
    ui_->txtGatewayPassword->setText(p.gatewayPassword);
    ui_->txtGatewaySender->setText(p.gatewaySender);
    ui_->txtGatewaySmsc->setText(p.gatewaySmsc);
    txtGatewayUrl_Change();
    refresh_controls();
}

void PreferencesDialog::setBoxBackground(QWidget* box, bool normal) {
    const QColor colour =
        palette().color(QPalette::Active, normal ? QPalette::Base : QPalette::Window);
    QPalette boxPalette = box->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        boxPalette.setColor(group, QPalette::Base, colour);
    box->setPalette(boxPalette);
}

void PreferencesDialog::refresh_controls() {
    const bool clip = ui_->chkTextClip->isChecked();
    ui_->txtClip->setEnabled(clip);
    setBoxBackground(ui_->txtClip, clip);
    ui_->lblClipSample->setText(clipSample(clip, ui_->txtClip->text()));

    const bool signature = ui_->chkSignature->isChecked();
    ui_->txtSignature->setEnabled(signature);
    setBoxBackground(ui_->txtSignature, signature);
    ui_->lblSigSample->setText(signatureSample(signature, ui_->txtSignature->text()));

    const bool log = ui_->chkLogSent->isChecked();
    setBoxBackground(ui_->txtSMSLog, log);
    ui_->txtSMSLog->setEnabled(log);
    ui_->cmdBrowserSMSLogPath->setEnabled(log);

    // The gateway's fields matter only while texts go through it.
    ui_->fraGateway->setEnabled(ui_->optRouteGateway->isChecked());
}

void PreferencesDialog::txtGatewayUrl_Change() {
    ui_->lblGatewayClearText->setVisible(gatewayPasswordInClear(ui_->txtGatewayUrl->text()));
}

void PreferencesDialog::txtClip_Change() {
    ui_->lblClipSample->setText(clipSample(true, ui_->txtClip->text()));
}

void PreferencesDialog::txtSignature_Change() {
    ui_->lblSigSample->setText(signatureSample(true, ui_->txtSignature->text()));
}

void PreferencesDialog::txtClip_LostFocus() {
    const QString cleaned = cleanClipText(ui_->txtClip->text());
    if (cleaned != ui_->txtClip->text())
        ui_->txtClip->setText(cleaned);
}

void PreferencesDialog::txtConfNumber_LostFocus() {
    const QString number = normalise_number(ui_->txtConfNumber->text());
    if (number != ui_->txtConfNumber->text())
        ui_->txtConfNumber->setText(number);
    // The compose window's confirmation tick follows at once, before OK or Cancel.
    if (host_)
        host_->setSendConfirmationEnabled(!number.isEmpty());
}

bool PreferencesDialog::eventFilter(QObject* watched, QEvent* event) {
    // Leaving a field cleans it; a context menu taking the focus is not leaving.
    if (event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
        if (watched == ui_->txtClip)
            txtClip_LostFocus();
        else if (watched == ui_->txtConfNumber)
            txtConfNumber_LostFocus();
    }
    return QDialog::eventFilter(watched, event);
}

void PreferencesDialog::cmdBrowserSMSLogPath_Click() {
    const QString path = platform::chooseSaveFile(QLatin1String(kLogFileChooserTitle),
                                                  QLatin1String(kLogFileFilters));
    if (!path.isEmpty())
        ui_->txtSMSLog->setText(path);
}

Preferences PreferencesDialog::controlValues() const {
    Preferences p;
    p.username = ui_->txtUsername->text();
    p.password = ui_->txtPassword->text();
    p.clipTicked = ui_->chkTextClip->isChecked();
    p.clip = ui_->txtClip->text();
    p.showWindow = ui_->chkShowWindow->isChecked();
    p.quitConfirmIndex = ui_->cmbConfirm->currentIndex();
    p.appendSignature = ui_->chkSignature->isChecked();
    p.confNumber = ui_->txtConfNumber->text();
    p.signature = ui_->txtSignature->text();
    p.defaultSmsConf = ui_->chkDefaultSMSConf->isChecked();
    p.hideSplashScreen = ui_->chkHideSplashScreen->isChecked();
    p.systemTray = ui_->chkSystemTray->isChecked();
    p.logSent = ui_->chkLogSent->isChecked();
    p.smsLogLocation = ui_->txtSMSLog->text();
    p.dontLogout = ui_->chkDontLogout->isChecked();
    p.route =
        ui_->optRouteGateway->isChecked() ? SendRoute::KannelGateway : SendRoute::OperatorSite;
    p.gatewayUrl = ui_->txtGatewayUrl->text().trimmed();
    p.gatewayUsername = ui_->txtGatewayUsername->text();
    p.gatewayPassword = ui_->txtGatewayPassword->text();
    p.gatewaySender = ui_->txtGatewaySender->text().trimmed();
    p.gatewaySmsc = ui_->txtGatewaySmsc->text().trimmed();
    return p;
}

void PreferencesDialog::save_preferences() {
    PasswordPlace gatewayPlace = PasswordPlace::SettingsFile;
    ui_->lblPasswordPlace->setText(
        passwordPlaceText(zemble::save_preferences(controlValues(), &gatewayPlace)));
    ui_->lblGatewayPasswordPlace->setText(passwordPlaceText(gatewayPlace));
}

void PreferencesDialog::cmdOkay_Click() {
    // OK taken with the Enter key leaves the caret where it was: the field it
    // is in is cleaned as if the user had left it, so the store never gets an
    // uncleaned indicator or number.
    const QWidget* focused = focusWidget();
    if (focused == ui_->txtClip)
        txtClip_LostFocus();
    else if (focused == ui_->txtConfNumber)
        txtConfNumber_LostFocus();
    save_preferences();
    finish();
}

void PreferencesDialog::cmdCancel_Click() {
    finish();
}

void PreferencesDialog::cmdHelp_Click() {
    platform::show_help_topic(QLatin1String(platform::topics::prefs));
}

void PreferencesDialog::finish() {
    // The compose window is enabled before the dialog hides, so that it is
    // there to take the focus as the dialog goes.
    if (host_)
        host_->giveComposeBack(ComposeHost::Repaint::Last, [this] { hide(); });
    else
        hide();
}

void PreferencesDialog::reject() {
    // Escape acts as Cancel.
    cmdCancel_Click();
}

void PreferencesDialog::closeEvent(QCloseEvent* event) {
    // A close from the window frame acts as Cancel; the dialog is kept.
    if (isVisible())
        cmdCancel_Click();
    event->accept();
}

void PreferencesDialog::showForCompose() {
    if (host_)
        host_->setComposeEnabled(false);
    show();
    raise();
    activateWindow();
}

QString PreferencesDialog::confNumberText() const {
    return ui_->txtConfNumber->text();
}

PreferencesHolder::PreferencesHolder(ComposeHost* host, QWidget* opener)
    : host_(host), opener_(opener) {}

PreferencesHolder::~PreferencesHolder() = default;

PreferencesDialog& PreferencesHolder::ensure() {
    if (!dialog_) {
        dialog_ = std::make_unique<PreferencesDialog>(host_);
        platform::stayAbove(dialog_.get(), opener_);
    }
    return *dialog_;
}

void PreferencesHolder::show() {
    ensure().showForCompose();
}

QString PreferencesHolder::confNumberFieldText() {
    return ensure().confNumberText();
}

} // namespace zemble
