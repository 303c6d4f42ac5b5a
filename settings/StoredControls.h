// Reading stored option texts into controls and writing controls back, with
// the rules every settings window follows: a missing or empty value counts as
// empty (0 where a number is expected), and a text the control cannot take is
// refused, leaving the control as it was.
#pragma once
#include <QString>

class QCheckBox;
class QComboBox;
class QWidget;
class RegistryRoutines;

namespace StoredControls {
// The stored text; empty when the value or its section is missing.
QString Stored(const RegistryRoutines& store, const QString& name);
// Each control is read from the value named after it (its object name).
// Check box: "0" cleared, "1" ticked, "2" greyed.
void ReadCheck(const RegistryRoutines& store, QCheckBox* box);
// Colour swatch: its back colour as a colour number.
void ReadColor(const RegistryRoutines& store, QWidget* swatch);
// List position; -1 leaves the list without a choice.
void ReadPosition(const RegistryRoutines& store, QComboBox* box);
// List text: the entry of exactly that text; an empty text changes nothing.
void ReadListText(const RegistryRoutines& store, QComboBox* box);
// A whole number read from a text such as "8 "; false when it is none.
bool Number(const QString& text, long& value);

// A plain text value (REG_SZ).
void Write(const RegistryRoutines& store, const QString& name, const QString& text);
void WriteCheck(const RegistryRoutines& store, const QCheckBox* box);
void WritePosition(const RegistryRoutines& store, const QComboBox* box);
void WriteListText(const RegistryRoutines& store, const QComboBox* box);
}  // namespace StoredControls
