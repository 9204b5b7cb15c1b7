#pragma once

#include <QList>
#include <QWidget>
#include <memory>

class PageContext;
class QPushButton;

namespace Ui {
class ModelPage;
}

// Stacked page 3 ("page_4"): one picture button per helicopter model. The
// buttons offered depend on the connected model; the page keeps the shown
// ones packed in a centred grid whoever shows or hides them.
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

    void showParameters();
    void retranslate();
    void setLinkLost();

public slots:
    // Connected by the window to the clicks of all eighteen buttons.
    void on_typesButtonClicked();
    // Every button back to its not-selected picture.
    void types_reset();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void reflowButtons();

    std::unique_ptr<Ui::ModelPage> ui;
    PageContext *m_ctx;
    QList<QPushButton *> m_buttons;
};
