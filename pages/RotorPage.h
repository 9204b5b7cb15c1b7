#pragma once

#include <QWidget>
#include <memory>

class PageContext;

namespace Ui {
class RotorPage;
}

// Stacked page 1 ("page_2"): swashplate levelling with the three servo trims
// and the collective-pitch range.
class RotorPage : public QWidget
{
    Q_OBJECT

public:
    explicit RotorPage(PageContext *ctx, QWidget *parent = nullptr);
    ~RotorPage() override;

    // Ends a servo centring or collective adjustment that is open (the window
    // calls it whenever it shows another page than the tuning page).
    void closeAdjustments();

    void showParameters();
    void retranslate();
    void setLinkLost();

public slots:
    // Shared by the positive, negative and done buttons of the collective panel.
    void on_CollectiveButtonClicked();

private:
    std::unique_ptr<Ui::RotorPage> ui;
    PageContext *m_ctx;
};
