#pragma once

#include <QList>
#include <QString>

// One button of the model page.
struct ModelPreset
{
    int listIndex = -1;           // position in the button list (0..17)
    int buttonNumber = 0;         // the number in the object name: type<N>_pushButton
    const char* buttonName = "";  // object name of the button
    int modelId = 0;              // id written after the preset; 0 = the button has no action
    const char* confirmationText = nullptr; // Chinese source text for the question box (tr context "ModelPresets"), or null
    const char* presetPath = nullptr;       // ":/param/..." or null
    const char* selectedImage = "";
    const char* notSelectedImage = "";

    bool hasAction() const { return modelId > 0; }
};

// The model page's eighteen buttons, their presets and pictures, the model
// groups (small models 1..9, scale models 10 and up) and the model names.
class ModelPresets
{
public:
    static constexpr int count = 18;
    static constexpr const char* translationContext = "ModelPresets";

    // All rows in button-list order.
    static const QList<ModelPreset>& rows();

    // Row at a list index, or null.
    static const ModelPreset* byIndex(int listIndex);
    // Row whose button number is `id` (type<id>_pushButton), or null. Rows
    // without an action (5, 19) are found too; check hasAction().
    static const ModelPreset* byButtonNumber(int id);
    // Row that writes model id `id`, or null.
    static const ModelPreset* byModelId(int id);
    // List index of the button with that object name, or -1.
    static int indexOfButton(const QString& objectName);

    // Model id from the "fw_version" value: rounded half away from zero.
    // An absent parameter (-1.0) gives -1.
    static int modelIdFromValue(double fwVersion);
    static bool isSmallModel(int modelId); // 1..9
    static bool isScaleModel(int modelId); // 10 and up

    // List indexes of the buttons offered for a model id: ids 1..9 the
    // buttons of 1 and 4, ids 10 and up those of 10..13, 15..18, 20..25,
    // none for 0 and below.
    static QList<int> offeredIndexes(int modelId);
    // List index of the button to highlight for a model id (ids 1, 4, 5,
    // 10..13, 15..25), or -1 when the pictures stay as they are.
    static int selectedIndexForModel(int modelId);

    // Name shown for a model id; "----" for an id without one.
    static QString modelName(int modelId);

    // The button's style sheets: its selected picture, or its not-selected
    // picture showing the selected one while hovered.
    static QString selectedStyleSheet(const QString& selectedImage);
    static QString notSelectedStyleSheet(const QString& notSelectedImage, const QString& selectedImage);
    static QString selectedStyleSheet(const ModelPreset& row);
    static QString notSelectedStyleSheet(const ModelPreset& row);
};
