#pragma once

#include <QWidget>

class QPushButton;

// The row of buttons under the connection panel: "保存参数..." (the table to a
// file), "加载参数..." (a file to the flight controller, after its preview)
// and "参数快照..." (the snapshots list). Save and Load need a connected flight
// controller; the snapshots list is always there (offline it browses every
// board's snapshots).
class ParamFilesBar : public QWidget
{
    Q_OBJECT

public:
    explicit ParamFilesBar(QWidget *parent = nullptr);

    void setConnected(bool connected);
    void retranslate();

    QPushButton *saveButton() const { return m_save; }
    QPushButton *loadButton() const { return m_load; }
    QPushButton *snapshotsButton() const { return m_snapshots; }

signals:
    void saveRequested();
    void loadRequested();
    void snapshotsRequested();

private:
    QPushButton *m_save;
    QPushButton *m_load;
    QPushButton *m_snapshots;
};
