#include "mainwindow.h"

#include "aboutdialog.h"
#include "colour.h"
#include "cp1251.h"
#include "errorbox.h"
#include "glyphs.h"
#include "portlist.h"
#include "seriallink.h"
#include "statuspanel.h"
#include "titlebar.h"
#include "tlcdline.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTime>
#include <QTimer>
#include <QToolButton>

#include <cstdlib>

const QByteArray TForm1::kOfflineText = " QV-274 OFFLINE";

namespace {

QString runSaveDialog(QWidget *parent, const QString &suggestedName)
{
    QFileDialog dialog(parent);
    dialog.setObjectName("sSaveDialog1");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix("csv");
    dialog.setNameFilter("Файл CSV (*.csv)");
    dialog.setOption(QFileDialog::DontUseNativeDialog); // the same dialog on every desktop
    dialog.setSizeGripEnabled(true);
    dialog.selectFile(suggestedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QFont displayFont()
{
    QFont f("Trebuchet MS");
    f.setPixelSize(60);
    f.setBold(true);
    return f;
}

} // namespace

TForm1::TForm1(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowSystemMenuHint),
      link_(new SerialLink(this)), portPoller_(new PortListPoller(this)),
      clockTimer_(new QTimer(this)), alternateSource_([] { return false; }),
      saveDialog_(runSaveDialog)
{
    setObjectName("TForm1");
    link_->setObjectName("Com1");
    portPoller_->setObjectName("Timer1");
    clockTimer_->setObjectName("Timer2");
    QFont font("MS Sans Serif");
    font.setPixelSize(11);
    setFont(font);
    // Qt paints every widget through a back buffer already: the window is double-buffered.

    auto *titleBar = new TitleBar(this);
    titleBar->setGeometry(0, 0, kClientWidth, TitleBar::kHeight);
    aboutItem_ = titleBar->addItem(Glyphs::about(), "О программе", "AboutItem");
    connect(aboutItem_, &QToolButton::clicked, this, &TForm1::showAbout);

    auto *client = new QWidget(this);
    client->setObjectName("Client");
    client->setGeometry(0, TitleBar::kHeight, kClientWidth, kClientHeight);
    setFixedSize(kClientWidth, kClientHeight + TitleBar::kHeight);
    createControls(client);
    about_ = new TForm3(this);

    // Creation step: the port list, the baud-rate index, the first port. The first fill goes
    // through the poller too, so a list that cannot be read is reported once, not again a
    // second later.
    portPoller_->setInterval(1000);
    connect(portPoller_, &PortListPoller::refreshed, this, &TForm1::fillPorts);
    connect(portPoller_, &PortListPoller::failed, this,
            [this](const QString &message) { ErrorBox::show(message, this); });
    portPoller_->poll();
    baudRate_->setCurrentIndex(SerialLink::kDefaultBaudRateIndex);
    if (portChooser_->count() > 0)
        portChooser_->setCurrentIndex(0);
    portPoller_->start();

    clockTimer_->setInterval(kClockIntervalMs);
    clockTimer_->setTimerType(Qt::PreciseTimer); // a coarse timer may slip below 20 a second
    connect(clockTimer_, &QTimer::timeout, this, &TForm1::clockTick);
    clockTimer_->start();

    connect(link_, &SerialLink::rxChar, this, &TForm1::receive);

    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TForm1::~TForm1() = default;

void TForm1::createControls(QWidget *client)
{
    auto button = [client](const char *name, const QString &caption, QRect geometry) {
        auto *b = new QPushButton(caption, client);
        b->setObjectName(name);
        b->setGeometry(geometry);
        b->setCursor(Qt::PointingHandCursor);
        b->setFocusPolicy(Qt::TabFocus);
        return b;
    };
    auto tool = [client](const char *name, const QString &hint, const QIcon &icon, int left,
                         bool checkable) {
        auto *b = new QToolButton(client);
        b->setObjectName(name);
        b->setToolTip(hint);
        b->setIcon(icon);
        b->setIconSize(QSize(16, 16));
        b->setGeometry(left, 88, 33, 33);
        b->setCheckable(checkable);
        b->setCursor(Qt::PointingHandCursor);
        b->setEnabled(false);
        return b;
    };

    openButton_ = button("Button1", "ОТКРЫТЬ ПОРТ", QRect(632, 8, 110, 25));
    closeButton_ = button("Button2", "ЗАКРЫТЬ ПОРТ", QRect(632, 8, 110, 25));
    closeButton_->hide();
    connect(openButton_, &QPushButton::clicked, this, &TForm1::openPort);
    connect(closeButton_, &QPushButton::clicked, this, &TForm1::closePort);

    portChooser_ = new QComboBox(client);
    portChooser_->setObjectName("sComboBox1");
    portChooser_->setEditable(true);
    portChooser_->setInsertPolicy(QComboBox::NoInsert);
    portChooser_->setToolTip("Выбор порта");
    portChooser_->setGeometry(632, 40, 113, 21);
    portChooser_->setEditText("COM1");

    baudRate_ = new QComboBox(client);
    baudRate_->setObjectName("cbBaudRate");
    for (qint32 rate : SerialLink::kBaudRates)
        baudRate_->addItem(QString::number(rate));
    baudRate_->hide();

    exchangeIndicator_ = new QProgressBar(client);
    exchangeIndicator_->setObjectName("sProgressBar1");
    exchangeIndicator_->setRange(0, 10);
    exchangeIndicator_->setValue(0);
    exchangeIndicator_->setTextVisible(false);
    exchangeIndicator_->setToolTip("Индикатор обмена данными");
    exchangeIndicator_->setGeometry(632, 66, 111, 17);

    // The display area, stacked: live label, held label, live LCD, held LCD (last on top).
    const TColor labelColour = clGradientActiveCaption;
    auto label = [&](const char *name, const QString &text) {
        auto *l = new QLabel(text, client);
        l->setObjectName(name);
        l->setGeometry(16, 8, 601, 76);
        l->setAlignment(Qt::AlignCenter);
        l->setFont(displayFont());
        QPalette pal = l->palette();
        pal.setColor(QPalette::WindowText, toQColor(labelColour));
        l->setPalette(pal);
        return l;
    };
    liveLabel_ = label("sLabel1", "QV-274 OFFLINE");
    heldLabel_ = label("sLabel2", "QV -274 OFFLINE");
    heldLabel_->hide();

    auto lcd = [client](const char *name) {
        auto *l = new TLCDLine(client);
        l->setObjectName(name);
        l->setGeometry(16, 8, 601, 65);
        l->setCellSize(5);
        l->setCellSpace(1);
        l->setFrameSize(0);
        l->setCellColorOn(clBlack);
        return l;
    };
    liveLcd_ = lcd("LCDLine1");
    liveLcd_->setFrameColor(clBtnFace);
    liveLcd_->setBoardColor(clAqua);
    liveLcd_->setCellColorOff(clAqua);
    liveLcd_->setText(kOfflineText);
    heldLcd_ = lcd("LCDLine2");
    heldLcd_->setFrameStyle(Lcd::TFrameStyle::Lowered);
    heldLcd_->setFrameColor(clLime);
    heldLcd_->setBoardColor(clSilver);
    heldLcd_->setCellColorOff(clSilver);
    heldLcd_->hide();

    struct Key { const char *name; QString caption; QIcon icon; char letter; int left; };
    const Key keys[] = {
        {"sBitBtn4", "МЕНЮ", {}, 'M', 16},
        {"sBitBtn1", {}, Glyphs::upTriangle(), 'U', 112},
        {"sBitBtn2", {}, Glyphs::downTriangle(), 'D', 208},
        {"sBitBtn5", "ВВОД", {}, 'K', 304},
        {"sBitBtn3", {}, Glyphs::upDownTriangles(), 'A', 400},
        {"sBitBtn6", "МЕНЮ+ВВОД", {}, 'C', 496},
    };
    for (const Key &k : keys) {
        QPushButton *b = button(k.name, k.caption, QRect(k.left, 88, 89, 33));
        if (!k.icon.isNull()) {
            b->setIcon(k.icon);
            b->setIconSize(k.icon.availableSizes().value(0, QSize(16, 16)));
        }
        b->setEnabled(false);
        const char letter = k.letter;
        connect(b, &QPushButton::clicked, this, [this, letter] { sendKey(letter); });
        keyButtons_ << b;
    }

    recordButton_ = tool("sSpeedButton4", "Запись в файл вкл/выкл", Glyphs::redDot(), 592, true);
    holdButton_ = tool("sSpeedButton1", "Режим удержания вкл/выкл", Glyphs::snowflake(), 632, true);
    copyLineButton_ = tool("sSpeedButton2", "Копировать строку в буфер", Glyphs::twoPages(), 671, false);
    copyNumberButton_ = tool("sSpeedButton3", "Копировать в буфер только числовое значение",
                             Glyphs::twoPagesNumber(), 711, false);
    // clicked() comes from the user only, never from setChecked(): the group's release of the
    // other button runs no action.
    connect(holdButton_, &QToolButton::clicked, this, &TForm1::holdClicked);
    connect(recordButton_, &QToolButton::clicked, this, &TForm1::recordClicked);
    connect(copyLineButton_, &QToolButton::clicked, this, &TForm1::copyLine);
    connect(copyNumberButton_, &QToolButton::clicked, this, &TForm1::copyNumber);

    auto *status = new QWidget(client);
    status->setObjectName("sStatusBar1");
    status->setGeometry(0, 129, kClientWidth, 19);
    status->setAttribute(Qt::WA_TransparentForMouseEvents); // not interactive
    auto *row = new QHBoxLayout(status);
    row->setContentsMargins(0, 2, 0, 0);
    row->setSpacing(2);
    auto panel = [&](int width, const QString &text, const char *name) {
        auto *p = new StatusPanel(width, status);
        p->setObjectName(name);
        p->setText(text);
        row->addWidget(p);
        return p;
    };
    panel(120, "Системное время:", "StatusPanel1");
    clockPanel_ = panel(80, {}, "StatusPanel2");
    panel(125, "Записано отсчетов:", "StatusPanel3");
    countPanel_ = panel(50, {}, "StatusPanel4");
    row->addStretch(1);
}

void TForm1::setAlternateModeSource(std::function<bool()> source)
{
    alternateSource_ = source ? std::move(source) : [] { return false; };
}

bool TForm1::alternateMode() const { return alternateSource_(); }

void TForm1::setSaveDialog(SaveDialog dialog) { saveDialog_ = dialog ? std::move(dialog) : runSaveDialog; }

void TForm1::fillPorts(const QStringList &names)
{
    // Replacing the list keeps whatever the user picked or typed.
    const QString text = portChooser_->currentText();
    const QSignalBlocker block(portChooser_);
    portChooser_->clear();
    portChooser_->addItems(names);
    portChooser_->setEditText(text);
}

void TForm1::refreshPorts() { portPoller_->poll(); }

void TForm1::openPort()
{
    link_->setPortName(portChooser_->currentText());
    link_->setBaudRateIndex(baudRate_->currentIndex());
    try {
        link_->open();
    } catch (const LinkError &e) {
        ErrorBox::show(e.message(), this);
        return;
    }
    for (QPushButton *b : std::as_const(keyButtons_))
        b->setEnabled(true);
    openButton_->hide();
    closeButton_->show();
    holdButton_->setEnabled(true);
    recordButton_->setEnabled(true);
}

void TForm1::closePort()
{
    for (QPushButton *b : std::as_const(keyButtons_))
        b->setEnabled(false);
    copyLineButton_->setEnabled(false);
    copyNumberButton_->setEnabled(false);
    recordButton_->setEnabled(false);
    try {
        link_->close();
    } catch (const LinkError &) {
        restartProgram();
        return;
    }
    openButton_->show();
    closeButton_->hide();
    holdButton_->setEnabled(false);
    liveLcd_->setText(kOfflineText);
    liveLabel_->setText(QString::fromLatin1(kOfflineText));
    exchangeIndicator_->setValue(0);
}

void TForm1::closeEvent(QCloseEvent *e)
{
    // A recording in progress is not saved: closing ends the program without asking.
    try {
        link_->close();
    } catch (const LinkError &) {
        exitNow();
        return;
    }
    QWidget::closeEvent(e);
}

void TForm1::restartProgram()
{
    QProcess::startDetached(QCoreApplication::applicationFilePath(), {});
    std::_Exit(0);
}

void TForm1::exitNow() { std::_Exit(0); }

void TForm1::sendKey(char letter)
{
    try {
        link_->write(QByteArray(1, letter));
    } catch (const LinkError &e) {
        ErrorBox::show(e.message(), this);
    }
}

void TForm1::receive(qint64 count)
{
    QByteArray chunk;
    try {
        chunk = link_->read(count);
    } catch (const LinkError &) {
        return; // the link has ended this opening's feed; nothing is shown
    }
    const bool hold = holdButton_->isChecked();
    const DisplayFeed::Event event = feed_.receive(chunk, hold);
    if (event.displayLine) {
        liveLcd_->setText(event.lastLine);
        liveLabel_->setText(Cp1251::toUnicode(event.lastLine));
        if (recordButton_->isChecked())
            addRecord(event.lastLine);
    }
    if (hold)
        return;
    exchangeIndicator_->setValue(feed_.stepCount());
}

void TForm1::clockTick()
{
    clockPanel_->setText(clockText(QTime::currentTime()));
    liveLcd_->setVisible(!alternateMode()); // costs nothing when unchanged
}

void TForm1::holdClicked(bool down)
{
    if (down && recordButton_->isChecked())
        recordButton_->setChecked(false); // released without its action
    down ? holdOn() : holdOff();
}

void TForm1::recordClicked(bool down)
{
    if (down && holdButton_->isChecked())
        holdButton_->setChecked(false);
    down ? startRecording() : endRecording();
}

void TForm1::holdOn()
{
    const QByteArray held = liveLcd_->text();
    liveLcd_->hide();
    liveLabel_->hide();
    if (!alternateMode()) {
        heldLcd_->show();
        heldLcd_->setText(held);
        copyLineButton_->setEnabled(true);
        copyNumberButton_->setEnabled(true);
        recordButton_->setEnabled(false);
    } else {
        heldLcd_->hide();
    }
    heldLabel_->setText(Cp1251::toUnicode(held));
    heldLabel_->show();
}

void TForm1::holdOff()
{
    liveLabel_->show();
    liveLcd_->show();
    heldLcd_->hide();
    heldLcd_->setText({});
    copyLineButton_->setEnabled(false);
    copyNumberButton_->setEnabled(false);
    recordButton_->setEnabled(true);
    heldLabel_->hide();
}

void TForm1::startRecording()
{
    holdButton_->setEnabled(false);
    records_.start();
    countPanel_->setText({});
}

void TForm1::addRecord(const QByteArray &line)
{
    // The time is taken now rather than from the last tick: what a 1 ms tick would give.
    const int n = records_.add(clockText(QTime::currentTime()), numericPart(line));
    countPanel_->setText(QString::number(n));
}

void TForm1::endRecording()
{
    holdButton_->setEnabled(true);
    const QString name = saveDialog_(this, lastFileName_);
    if (!name.isEmpty()) {
        lastFileName_ = name;
        if (const auto error = writeRecordFile(name, records_.fileContents())) {
            ErrorBox::show(*error, this); // the records stay for another try
            return;
        }
    }
    records_.clear();
    countPanel_->setText({});
}

void TForm1::copyLine()
{
    QGuiApplication::clipboard()->setText(Cp1251::toUnicode(heldLcd_->text()));
}

void TForm1::copyNumber()
{
    // An empty number leaves the clipboard as it was rather than wiping the user's content.
    const QByteArray number = numericPart(heldLcd_->text());
    if (!number.isEmpty())
        QGuiApplication::clipboard()->setText(QString::fromLatin1(number));
}

void TForm1::showAbout() { about_->exec(); }
