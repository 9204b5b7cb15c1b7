#include "pages/ParamFileLoader.h"

#include "pages/PageContext.h"
#include "pages/PagesLog.h"
#include "params/ParamFileParser.h"
#include "params/ParameterStore.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QProgressDialog>
#include <QWidget>

ParamFileLoader::ParamFileLoader(PageContext *ctx, QObject *parent)
    : QObject(parent), m_ctx(ctx)
{
}

ParamFileLoader::~ParamFileLoader()
{
    closeDialog();
}

QProgressDialog *ParamFileLoader::progressDialog() const
{
    return m_dialog;
}

void ParamFileLoader::closeDialog()
{
    if (!m_dialog)
        return;
    m_dialog->close();
    delete m_dialog;
}

int ParamFileLoader::readParametersFromFile(const QString &filePath)
{
    if (!m_ctx)
        return -1;
    QWidget *window = m_ctx->window();

    const ParamFileReadResult file = ParamFileParser::readFile(filePath);
    if (!file.ok) {
        // readFile has logged "Error opening file: " with the reason. The box
        // does not block: a caller in the middle of a preset reset goes on.
        auto *box = new QMessageBox(QMessageBox::Warning, tr("警告"), tr("找不到指定参数文件"),
                                    QMessageBox::Ok, window);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
        emit warningShown(box);
        return -1;
    }

    // A dialog kept from an earlier load is replaced.
    closeDialog();
    m_dialog = new QProgressDialog(window);
    m_dialog->setWindowTitle(m_ctx->english ? QStringLiteral("params loading...")
                                            : QStringLiteral("参数加载中..."));
    m_dialog->setMinimumDuration(5);
    m_dialog->setRange(0, 100);
    m_dialog->setCancelButton(nullptr);
    m_dialog->setWindowFlags(m_dialog->windowFlags() & ~Qt::WindowCloseButtonHint);
    m_dialog->setWindowModality(Qt::WindowModal);
    m_dialog->setValue(0);
    m_dialog->show();

    const ParamFileContent &content = file.content;

    // Confirmations that arrive during the load move controls without writing
    // back. The store's own updates restore the flag rather than clear it, and
    // so does the load: a caller that had it set keeps it set.
    // The store goes with the window, which can go while events are processed.
    const QPointer<ParameterStore> store = m_ctx->store();
    const bool wasUpdating = store && store->paramUiUpdating;
    if (store)
        store->paramUiUpdating = true;

    int written = 0;
    for (const ParamFileEntry &entry : content.entries) {
        qCDebug(lcPages).noquote() << entry.name + QStringLiteral(":") + QString::number(entry.value);
        m_ctx->writeParameter(entry.name, entry.value);
        ++written;
        m_ctx->sleep(kWriteIntervalMs);
        // The window (and with it the context and the dialog) can go while
        // events are processed; nothing more is written then.
        if (!m_ctx || !m_dialog)
            break;
        const int percent = ParamFileParser::progressPercent(written, content.totalLines);
        m_dialog->setValue(percent);
        emit progressChanged(percent);
        QCoreApplication::processEvents();
        if (!m_ctx || !m_dialog)
            break;
    }
    if (store)
        store->paramUiUpdating = wasUpdating;
    qCDebug(lcPages) << "parameter file" << filePath << "written:" << written << "of"
                     << content.entries.size() << "entries," << content.totalLines << "lines";

    if (!m_keepDialog)
        closeDialog();
    return written;
}
