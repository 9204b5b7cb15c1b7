#pragma once

#include <QHash>
#include <QString>
#include <QTranslator>

// The English texts of the page forms, looked up by source text in any
// context, so the pages can be laid out and looked at in English before the
// application's catalogue carries their contexts.
class EnglishCatalogue : public QTranslator
{
public:
    EnglishCatalogue();

    QString translate(const char *context, const char *sourceText, const char *disambiguation = nullptr,
                      int n = -1) const override;
    bool isEmpty() const override { return false; }

    // Every source text with its English form.
    const QHash<QString, QString> &entries() const { return m_entries; }

private:
    QHash<QString, QString> m_entries;
};
