#include "pages/ParamFileLoader.h"

#include "pages/PageContext.h"
#include "pages/PagesLog.h"
#include "params/ParamFileParser.h"
#include "params/ParameterStore.h"
#include "pages/WriteBatch.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QProgressDialog>
#include <QWidget>

ParamFileLoader::ParamFileLoader(PageContext *ctx, QObject *parent)
    : QObject(parent), m_ctx(ctx), m_batch(new WriteBatch(ctx, this))
{
    connect(m_batch, &WriteBatch::progressChanged, this, &ParamFileLoader::progressChanged);
}

ParamFileLoader::~ParamFileLoader()
{
    closeDialog();
}

void ParamFileLoader::setKeepDialogOpen(bool keep)
{
    m_batch->setKeepDialogOpen(keep);
}

QProgressDialog *ParamFileLoader::progressDialog() const
{
    return m_batch->progressDialog();
}

void ParamFileLoader::closeDialog()
{
    m_batch->closeDialog();
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

    const ParamFileContent &content = file.content;
    QList<BatchWrite> writes;
    writes.reserve(content.entries.size());
    for (const ParamFileEntry &entry : content.entries)
        writes.append(BatchWrite{entry.name, entry.value});
    m_batch->setProgressTotal(content.totalLines);
    QPointer<ParamFileLoader> self(this);
    const BatchAccount account = m_batch->send(writes);
    if (!self)
        return int(account.unconfirmed.size());
    const int written = int(account.unconfirmed.size() + account.confirmed.size());
    qCDebug(lcPages) << "parameter file" << filePath << "written:" << written << "of"
                     << content.entries.size() << "entries," << content.totalLines << "lines";
    return written;
}
