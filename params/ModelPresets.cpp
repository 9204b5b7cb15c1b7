#include "params/ModelPresets.h"

#include <QCoreApplication>

#include "params/ValueMaps.h"

namespace {

const QList<ModelPreset>& table()
{
    static const QList<ModelPreset> rows = {
        {0, 1, "type1_pushButton", 1, QT_TRANSLATE_NOOP("ModelPresets", "是否将飞控重置为Alder参数"),
         ":/param/Alder-V3.param", ":/types/Alder.jpg", ":/types/Alder-noselected.jpg"},
        {1, 4, "type4_pushButton", 4, QT_TRANSLATE_NOOP("ModelPresets", "是否将飞控重置为Elm-V3参数"),
         ":/param/Elm-v3.param", ":/types/Elm-v3.jpg", ":/types/Elm-v3-noselected.jpg"},
        {2, 5, "type5_pushButton", 0, nullptr, nullptr, ":/types/Aspen.jpg",
         ":/types/Aspen-noselected.jpg"},
        {3, 10, "type10_pushButton", 10, QT_TRANSLATE_NOOP("ModelPresets", "是否将飞控重置为Birch-2blades参数"),
         ":/param/Birch-2blades.param", ":/types/Birch-2blades.jpg", ":/types/Birch-2blades-noselected.jpg"},
        {4, 11, "type11_pushButton", 11, QT_TRANSLATE_NOOP("ModelPresets", "是否将飞控重置为Birch-4blades参数"),
         ":/param/Birch-4blades.param", ":/types/Birch-4blades.jpg", ":/types/Birch-4blades-noselected.jpg"},
        {5, 12, "type12_pushButton", 12, QT_TRANSLATE_NOOP("ModelPresets", "是否将飞控重置为Cedar-2blades参数"),
         ":/param/Cedar-2blades.param", ":/types/Cedar-2blades.jpg", ":/types/Cedar-2blades-noselected.jpg"},
        {6, 13, "type13_pushButton", 13, QT_TRANSLATE_NOOP("ModelPresets", "是否将飞控重置为Cedar-4blades参数"),
         ":/param/Cedar-4blades.param", ":/types/Cedar-4blades.jpg", ":/types/Cedar-4blades-noselected.jpg"},
        {7, 15, "type15_pushButton", 15, QT_TRANSLATE_NOOP("ModelPresets", "是否将飞控重置为Fir参数"),
         ":/param/Fir.param", ":/types/Fir.jpg", ":/types/Fir-noselected.jpg"},
        {8, 16, "type16_pushButton", 16, QT_TRANSLATE_NOOP("ModelPresets", "是否将飞控重置为Hazel参数"),
         ":/param/Hazel.param", ":/types/Hazel.jpg", ":/types/Hazel-noselected.jpg"},
        {9, 17, "type17_pushButton", 17, QT_TRANSLATE_NOOP("ModelPresets", "是否将飞控重置为Juniper参数"),
         ":/param/Juniper.param", ":/types/Juniper.jpg", ":/types/Juniper-noselected.jpg"},
        // The Linden button writes the Larch file (its first line says 18 as well).
        {10, 18, "type18_pushButton", 18, QT_TRANSLATE_NOOP("ModelPresets", "是否将飞控重置为Linden参数"),
         ":/param/Larch.param", ":/types/Linden.jpg", ":/types/Linden-noselected.jpg"},
        {11, 19, "type19_pushButton", 0, nullptr, nullptr, ":/types/Larch.jpg",
         ":/types/Larch-noselected.jpg"},
        {12, 20, "type20_pushButton", 20, QT_TRANSLATE_NOOP("ModelPresets", "是否将飞控重置为Ember参数"),
         ":/param/Ember.param", ":/types/Ember.jpg", ":/types/Ember-noselected.jpg"},
        {13, 21, "type21_pushButton", 21, QT_TRANSLATE_NOOP("ModelPresets", "是否将飞控重置为Maple参数"),
         ":/param/Maple.param", ":/types/Maple.jpg", ":/types/Maple-noselected.jpg"},
        {14, 22, "type22_pushButton", 22, QT_TRANSLATE_NOOP("ModelPresets", "是否将飞控重置为Oak参数"),
         ":/param/Oak.param", ":/types/Oak.jpg", ":/types/Oak-noselected.jpg"},
        {15, 23, "type23_pushButton", 23, QT_TRANSLATE_NOOP("ModelPresets", "是否将飞控重置为Pine参数"),
         ":/param/Pine.param", ":/types/Pine.jpg", ":/types/Pine-noselected.jpg"},
        {16, 24, "type24_pushButton", 24, QT_TRANSLATE_NOOP("ModelPresets", "是否将飞控重置为Rowan参数"),
         ":/param/Rowan.param", ":/types/Rowan.jpg", ":/types/Rowan-noselected.jpg"},
        {17, 25, "type25_pushButton", 25, QT_TRANSLATE_NOOP("ModelPresets", "是否将飞控重置为Spruce参数"),
         ":/param/Spruce.param", ":/types/Spruce.jpg", ":/types/Spruce-noselected.jpg"},
    };
    return rows;
}

} // namespace

const QList<ModelPreset>& ModelPresets::rows()
{
    return table();
}

const ModelPreset* ModelPresets::byIndex(int listIndex)
{
    if (listIndex < 0 || listIndex >= table().size())
        return nullptr;
    return &table().at(listIndex);
}

const ModelPreset* ModelPresets::byButtonNumber(int id)
{
    for (const ModelPreset& row : table()) {
        if (row.buttonNumber == id)
            return &row;
    }
    return nullptr;
}

const ModelPreset* ModelPresets::byModelId(int id)
{
    if (id <= 0)
        return nullptr;
    for (const ModelPreset& row : table()) {
        if (row.modelId == id)
            return &row;
    }
    return nullptr;
}

int ModelPresets::indexOfButton(const QString& objectName)
{
    for (const ModelPreset& row : table()) {
        if (objectName == QLatin1String(row.buttonName))
            return row.listIndex;
    }
    return -1;
}

int ModelPresets::modelIdFromValue(double fwVersion)
{
    return roundHalfAwayFromZero(fwVersion);
}

bool ModelPresets::isSmallModel(int modelId)
{
    return modelId >= 1 && modelId <= 9;
}

bool ModelPresets::isScaleModel(int modelId)
{
    return modelId >= 10;
}

QList<int> ModelPresets::offeredIndexes(int modelId)
{
    QList<int> indexes;
    for (const ModelPreset& row : table()) {
        const int n = row.buttonNumber;
        const bool offered = isSmallModel(modelId) ? (n == 1 || n == 4)
                             : isScaleModel(modelId)
                                 ? (n >= 10 && n <= 25 && n != 14 && n != 19)
                                 : false;
        if (offered)
            indexes.append(row.listIndex);
    }
    return indexes;
}

int ModelPresets::selectedIndexForModel(int modelId)
{
    const bool highlighted = modelId == 1 || modelId == 4 || modelId == 5
                             || (modelId >= 10 && modelId <= 13) || (modelId >= 15 && modelId <= 25);
    if (!highlighted)
        return -1;
    const ModelPreset* row = byButtonNumber(modelId);
    return row ? row->listIndex : -1;
}

QString ModelPresets::modelName(int modelId)
{
    switch (modelId) {
    case 1: return QStringLiteral("Alder-V3");
    case 2: return QStringLiteral("None");
    case 3: return QStringLiteral("None");
    case 4: return QStringLiteral("Elm ");
    case 5: return QStringLiteral("Aspen");
    case 10: return QStringLiteral("Birch-2blades");
    case 11: return QStringLiteral("Birch-4blades");
    case 12: return QStringLiteral("Cedar-2blades");
    case 13: return QStringLiteral("Cedar-4blades");
    case 14: return QStringLiteral("None");
    case 15: return QStringLiteral("Fir");
    case 16: return QStringLiteral("Hazel");
    case 17: return QStringLiteral("Juniper");
    case 18: return QStringLiteral("Linden");
    case 19: return QStringLiteral("Larch");
    case 20: return QStringLiteral("Ember");
    case 21: return QStringLiteral("Maple");
    case 22: return QStringLiteral("Oak");
    case 23: return QStringLiteral("Pine");
    case 24: return QStringLiteral("Rowan");
    case 25: return QStringLiteral("Spruce");
    default: return QStringLiteral("----");
    }
}

QString ModelPresets::selectedStyleSheet(const QString& selectedImage)
{
    return QStringLiteral("QPushButton{border-image: url(") + selectedImage
           + QStringLiteral(");background-position:center;background-repeat: no-repeat;border:none;\n}");
}

QString ModelPresets::notSelectedStyleSheet(const QString& notSelectedImage, const QString& selectedImage)
{
    return QStringLiteral("QPushButton{border-image: url(") + notSelectedImage
           + QStringLiteral(");background-position:center;background-repeat: no-repeat;border:none;\n}"
                            "QPushButton:hover{\tborder-image: url(")
           + selectedImage + QStringLiteral(");}");
}

QString ModelPresets::selectedStyleSheet(const ModelPreset& row)
{
    return selectedStyleSheet(QString::fromUtf8(row.selectedImage));
}

QString ModelPresets::notSelectedStyleSheet(const ModelPreset& row)
{
    return notSelectedStyleSheet(QString::fromUtf8(row.notSelectedImage),
                                 QString::fromUtf8(row.selectedImage));
}
