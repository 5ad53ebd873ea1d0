#pragma once

#include "displayfeed.h"
#include "recording.h"

#include <QWidget>

#include <functional>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class QToolButton;
class PortListPoller;
class SerialLink;
class StatusPanel;
class TLCDLine;

// The main window: display mirror, port chooser, keypad, hold and copy, recording, clock.
class TForm1 : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kClientWidth = 753;
    static constexpr int kClientHeight = 148;
    // The clock text refreshes 25 times a second: visibly running, yet idle on the CPU.
    // Records take the time afresh when they are added, to the millisecond.
    static constexpr int kClockIntervalMs = 40;
    static const QByteArray kOfflineText;

    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    // The alternate-mode input, read at every clock tick and when hold mode starts.
    void setAlternateModeSource(std::function<bool()> source);
    bool alternateMode() const;

    // Asks for the record file's name; returns an empty text when the user cancels.
    using SaveDialog = std::function<QString(QWidget *parent, const QString &suggestedName)>;
    void setSaveDialog(SaveDialog dialog);

    SerialLink &link() { return *link_; }
    const RecordLog &records() const { return records_; }
    QToolButton *aboutItem() const { return aboutItem_; }

public slots:
    void openPort();
    void closePort();
    void refreshPorts();

protected:
    void closeEvent(QCloseEvent *e) override;
    // Process control, overridable so tests can watch instead of dying.
    virtual void restartProgram(); // start a new instance and end this one with 0
    virtual void exitNow();        // end the process at once with 0

private:
    void createControls(QWidget *client);
    void fillPorts(const QStringList &names);
    void sendKey(char letter);
    void receive(qint64 count);
    void clockTick();
    void holdClicked(bool down);
    void recordClicked(bool down);
    void holdOn();
    void holdOff();
    void startRecording();
    void endRecording();
    void addRecord(const QByteArray &line);
    void copyLine();
    void copyNumber();
    void showAbout();

    SerialLink *link_;
    PortListPoller *portPoller_;
    QTimer *clockTimer_;
    DisplayFeed feed_;
    RecordLog records_;
    std::function<bool()> alternateSource_;
    SaveDialog saveDialog_;
    QString lastFileName_ = QStringLiteral("QV_274 LogFile");

    QToolButton *aboutItem_ = nullptr;
    QPushButton *openButton_ = nullptr;
    QPushButton *closeButton_ = nullptr;
    QComboBox *portChooser_ = nullptr;
    QComboBox *baudRate_ = nullptr;
    QProgressBar *exchangeIndicator_ = nullptr;
    TLCDLine *liveLcd_ = nullptr;
    TLCDLine *heldLcd_ = nullptr;
    QLabel *liveLabel_ = nullptr;
    QLabel *heldLabel_ = nullptr;
    QList<QPushButton *> keyButtons_; // MENU, UP, DOWN, OK, UP+DOWN, MENU+OK
    QToolButton *recordButton_ = nullptr;
    QToolButton *holdButton_ = nullptr;
    QToolButton *copyLineButton_ = nullptr;
    QToolButton *copyNumberButton_ = nullptr;
    StatusPanel *clockPanel_ = nullptr;
    StatusPanel *countPanel_ = nullptr;
    class TForm3 *about_ = nullptr;
};
