#pragma once

#include <QHash>
#include <QList>
#include <QMetaObject>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <memory>

class PageContext;
class QMessageBox;
class QProgressDialog;
class QPushButton;

namespace Ui {
class ModelPage;
}

// Stacked page 3 ("page_4"): one picture button per helicopter model. The
// buttons offered depend on the connected model; the page keeps the shown
// ones packed in a centred grid whoever shows or hides them.
//
// A click asks for confirmation and resets the flight controller to the
// model's preset: the preset file, then the model id ("fw_version"), then a
// wait under the progress dialog until the flight controller has confirmed
// every one of those writes or they have failed (at most the link's retry
// window), a box listing the failures if there are any, and only then the
// reboot, the reboot wait and the reconnect. The flight controller never
// reboots with values still in flight.
class ModelPage : public QWidget
{
    Q_OBJECT

public:
    explicit ModelPage(PageContext *ctx, QWidget *parent = nullptr);
    ~ModelPage() override;

    // The eighteen buttons in the order of the model table.
    const QList<QPushButton *> &typeButtons() const { return m_buttons; }

    // Start-up state: the buttons of models 1 and 4 enabled and shown, the
    // other sixteen disabled and hidden.
    void initButtons();

    // After a download: the buttons of the connected model's group enabled
    // and shown, the others disabled and hidden; the current model's button
    // shows its selected picture.
    void showParameters();
    void retranslate();
    void setLinkLost();

public slots:
    // Connected by the window to the clicks of all eighteen buttons.
    void on_typesButtonClicked();
    // Every button back to its not-selected picture.
    void types_reset();

public:
    // Longest wait for the confirmations of a preset reset after its last
    // write: the link worker's whole retry window (first send and every
    // resend, each waiting for its echo) plus a margin for the queues.
    static const int kConfirmWindowMs;

    // A preset reset is running (from the question box to the reconnect).
    bool resetRunning() const { return m_resetRunning; }

signals:
    // A box of the preset reset (the question, the list of failed writes) is
    // up and waits for its answer; emitted from inside its event loop, so a
    // receiver may answer it at once. Also the loader's missing-file box.
    void boxShown(QMessageBox *box);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // One parameter written during a preset reset; a newer write of the same
    // name replaces the older one, as it does in the link worker.
    struct TrackedWrite
    {
        float value = 0.0f;
        enum State { Pending, Confirmed, Failed } state = Pending;
    };

    void reflowButtons();
    bool ask(QMessageBox &box);
    void resetToPreset(int listIndex);
    void startTracking();
    void stopTracking();
    void trackWrite(const QString &name, float value);
    void trackValue(const QString &name, double value);
    void trackFailure(const QString &name, float written);
    // Waits until no tracked write is pending or the window has passed; what
    // is still pending then has failed. False when the page went meanwhile.
    bool waitForConfirmations(QProgressDialog *dialog);
    // "NAME = value" of every failed write, in the order of the first writes.
    QStringList failedWrites() const;
    void showFailures(const QStringList &failures);

    std::unique_ptr<Ui::ModelPage> ui;
    PageContext *m_ctx;
    QList<QPushButton *> m_buttons;

    bool m_resetRunning = false;
    QStringList m_writeOrder;
    QHash<QString, TrackedWrite> m_writes;
    QList<QMetaObject::Connection> m_tracking;
};
