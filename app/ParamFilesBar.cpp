#include "app/ParamFilesBar.h"

#include <QGridLayout>
#include <QPushButton>

ParamFilesBar::ParamFilesBar(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("paramFilesBar"));
    auto *grid = new QGridLayout(this);
    // Compact: the warning strip below shares the column's height.
    grid->setContentsMargins(8, 0, 8, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(0);
    m_save = new QPushButton(this);
    m_save->setObjectName(QStringLiteral("saveParams_pB"));
    m_load = new QPushButton(this);
    m_load->setObjectName(QStringLiteral("loadParams_pB"));
    m_snapshots = new QPushButton(this);
    m_snapshots->setObjectName(QStringLiteral("snapshots_pB"));
    for (QPushButton *b : {m_save, m_load, m_snapshots}) {
        b->setCursor(Qt::PointingHandCursor);
        b->setFocusPolicy(Qt::NoFocus);
    }
    // One under the other: "Save parameters..." needs the column's width in English.
    grid->addWidget(m_save, 0, 0);
    grid->addWidget(m_load, 1, 0);
    grid->addWidget(m_snapshots, 2, 0);
    connect(m_save, &QPushButton::clicked, this, &ParamFilesBar::saveRequested);
    connect(m_load, &QPushButton::clicked, this, &ParamFilesBar::loadRequested);
    connect(m_snapshots, &QPushButton::clicked, this, &ParamFilesBar::snapshotsRequested);
    retranslate();
    setConnected(false);
}

void ParamFilesBar::setConnected(bool connected)
{
    m_save->setEnabled(connected);
    m_load->setEnabled(connected);
}

void ParamFilesBar::retranslate()
{
    m_save->setText(tr("保存参数..."));
    m_load->setText(tr("加载参数..."));
    m_snapshots->setText(tr("参数快照..."));
}
