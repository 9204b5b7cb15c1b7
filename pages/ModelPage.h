#pragma once

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
class WritePreviewDialog;

namespace Ui {
class ModelPage;
}

// Stacked page 3 ("page_4"): one picture button per helicopter model. The
// buttons offered depend on the connected model; the page keeps the shown
// ones packed in a centred grid whoever shows or hides them.
//
// A click checks the model's preset file, shows the preview of its writes
// with the question (what changes, what stays, skipped lines) and, on yes,
// resets the flight controller to the preset through the window's write batch:
// the preset's lines, then the model id ("fw_version"), then a wait until the
// flight controller has confirmed every one of those writes or they have
// failed (at most the link's retry window), the batch's account if anything
// is not confirmed, and only then the reboot, the reboot wait and the
// reconnect. The flight controller never reboots with values still in
// flight; with the link lost mid-batch it does not reboot at all.
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
    // The preview of the preset's writes (with the question) is up and waits
    // for its answer; emitted from inside its event loop.
    void previewShown(WritePreviewDialog *preview);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void reflowButtons();
    void resetToPreset(int listIndex);

    std::unique_ptr<Ui::ModelPage> ui;
    PageContext *m_ctx;
    QList<QPushButton *> m_buttons;

    bool m_resetRunning = false;
};
