#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class PageContext;
class QMessageBox;
class QProgressDialog;
class WriteBatch;

// Writes a parameter file (a path or a compiled-in ":/param/..." preset) to
// the flight controller, one write per valid line, 10 ms apart, under a modal
// progress dialog: the lines go through the window's one write loop
// (WriteBatch), without waiting for the confirmations. The parsing is ParamFileParser's: skipped lines (blank,
// comment, invalid format, name or value) are never written, but they count
// in the dialog's total, so a file with such lines ends below 100.
//
// While a load runs, the store's paramUiUpdating is set, so controls moved by
// confirmations arriving in the middle do not write back; the flag is given
// back as it was found. The waits process events: worker signals are handled
// during a load.
//
// A file that cannot be read raises a warning box that does not block: it is
// announced by warningShown and the caller goes on (a preset reset still
// writes the model id and reboots).
class ParamFileLoader : public QObject
{
    Q_OBJECT

public:
    static constexpr unsigned kWriteIntervalMs = 10; // WriteBatch::kWriteIntervalMs

    explicit ParamFileLoader(PageContext *ctx, QObject *parent = nullptr);
    // Closes a progress dialog that was kept open.
    ~ParamFileLoader() override;

    // With `keep` set, the progress dialog stays up after a load until
    // closeDialog() (or the loader goes), so a caller can go on waiting under
    // it. Off by default: the dialog goes at the end of the load.
    void setKeepDialogOpen(bool keep);
    QProgressDialog *progressDialog() const;
    void closeDialog();

    // Loads `filePath` and writes each valid line through the page context.
    // Returns the number of writes, or -1 when the file could not be read
    // (warning box, no dialog, nothing written).
    int readParametersFromFile(const QString &filePath);

signals:
    // The dialog's value after each write (0..100).
    void progressChanged(int percent);
    // The missing-file box has been opened (it deletes itself when closed).
    void warningShown(QMessageBox *box);

private:
    QPointer<PageContext> m_ctx;
    WriteBatch *m_batch;
};
