// What the point and poly presenter editors share: the name, pen, brush and
// title controls, the colour and font choosers, and an OK that checks every
// typed value before the presenter changes at all.
#pragma once

#include "geo/GlobeTypes.h"

#include <QDialog>
#include <QFrame>
#include <QStringList>
#include <functional>
#include <initializer_list>
#include <optional>
#include <utility>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class TGlobeBrush;
class TGlobePen;
class TGlobePresenter;
class TUpDown;

// A colour shown as the field's background; a double click asks for another.
class TColorField : public QFrame {
    Q_OBJECT
public:
    explicit TColorField(QWidget* parent = nullptr);
    // Kept as given (system colours too), so an untouched field writes back
    // exactly what it was filled with.
    TColor Color() const { return m_color; }
    void SetColor(TColor color);

signals:
    void DoubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    TColor m_color = 0;
};

class TPresenterEditor : public QDialog {
    Q_OBJECT
public:
    // The colour and font choosers; tests put their own answers here. An
    // empty answer is a cancelled choice.
    std::function<std::optional<QColor>(const QColor& initial)> RunColorDialog;
    std::function<std::optional<QString>(const QString& fontName)> RunFontDialog;

    // Filled from `EditedPresenter` each time the window shows.
    virtual void FormActivate() = 0;
    void BtCancelarClick();
    // The colour dialog with the field's colour; a confirmed choice is kept.
    void EdColorDblClick(TColorField& field);

    QLineEdit* EdName;
    TColorField* EdPenColor;
    QComboBox* CBPenStyle;
    QLineEdit* EdPenWidth;
    TUpDown* UpDown1;
    QComboBox* CBPenUnits;
    TColorField* CBBrushColor;
    TColorField* CBBrushBKColor;
    QComboBox* CBBrushStyle;
    QComboBox* CBTitleAlignment;
    QComboBox* CBTitleFont;
    QLineEdit* EdTitleOffset;
    QPushButton* BtOK;
    QPushButton* BtCancelar;

protected:
    explicit TPresenterEditor(QWidget* parent);
    void showEvent(QShowEvent* event) override;

    // The window closes as soon as it can: activation found the wrong kind
    // of presenter.
    void CloseAtOnce();
    // The font dialog with the field's font name; a confirmed choice is kept
    // (shared by every font field).
    void FontFieldDblClick(QComboBox& field);
    // Writes the controls into a copy of the presenter; when every value is
    // sound the copy becomes the presenter and the window closes, otherwise
    // the user learns which field is wrong and nothing changes.
    void ApplyEdit(TGlobePresenter& presenter, const std::function<void(TGlobePresenter& copy)>& write);

    // A combo box of enumeration value names, item index = ordinal.
    QComboBox* EnumCombo(const char* name, const QStringList& values);
    // The 17 measurement units.
    QComboBox* UnitCombo(const char* name);
    TColorField* ColorField(const char* name);
    // An editable combo of the installed font families; double click asks
    // the font dialog.
    QComboBox* FontField(const char* name);
    QLineEdit* NumberEdit(const char* name);
    // An up-down that steps the edit.
    TUpDown* UpDownFor(const char* name, QLineEdit* edit, int min, int max);
    // A titled group of labelled rows.
    using TRows = std::initializer_list<std::pair<QString, QWidget*>>;
    QGroupBox* Group(const QString& title, TRows rows);
    // An edit with its up-down beside it, as one row.
    QWidget* Stepped(QLineEdit* edit, TUpDown* upDown);
    // "Linha": colour, style, width, unit.
    QGroupBox* PenGroup();
    // "Preenchimento": colour, background, style.
    QGroupBox* BrushGroup();
    // OK and Cancelar side by side, on the right.
    QLayout* Buttons();

    static void ShowNumber(QLineEdit& edit, int value);
    static void ShowEnum(QComboBox& combo, int ordinal);
    // The integer in the edit; anything else, or a value outside min ... max,
    // raises a message naming the field.
    static int32_t ReadInteger(const QLineEdit& edit, const QString& field, int32_t min, int32_t max);
    // The chosen ordinal; with nothing chosen (a value the list does not
    // offer) the current one stays.
    static int ReadOrdinal(const QComboBox& combo, int current);

    void FillName(const TGlobePresenter& presenter);
    void FillPen(const TGlobePen& pen);
    void FillBrush(const TGlobeBrush& brush);
    void FillTitle(const TGlobePresenter& presenter);
    // Pen colour, style, width and unit, in this order.
    void WritePen(TGlobePen& pen) const;
    // Background colour, colour and style.
    void WriteBrush(TGlobeBrush& brush) const;
    // Alignment, font name and offset.
    void WriteTitle(TGlobePresenter& presenter) const;
};
