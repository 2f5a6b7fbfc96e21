// Edit masks in the classic notation ("00°00.000’>L;1": "0" a required digit,
// "L" a required letter, ">" upper case from there on, ";1" keep the literal
// characters, an optional third field the blank character) turned into
// QLineEdit input masks.
#pragma once

#include <QString>

class QLineEdit;

// The QLineEdit input mask of a classic edit mask.
QString QtInputMask(const QString& editMask);
// Gives the edit the mask; the text typed afterwards must fit it.
void ApplyEditMask(QLineEdit& edit, const QString& editMask);
// Shows a coordinate edit text (CoordEditText) with its own mask.
void ShowCoordEditText(QLineEdit& edit, const QString& text);
