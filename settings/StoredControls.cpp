#include "settings/StoredControls.h"

#include <QCheckBox>
#include <QComboBox>

#include "core/RegistryRoutines.h"
#include "platform/Registry.h"
#include "settings/FormControls.h"

namespace StoredControls {

QString Stored(const RegistryRoutines& store, const QString& name) {
  return store.GetRegistryValue(name).toString();
}

bool Number(const QString& text, long& value) {
  bool ok = false;
  const long n = text.trimmed().toLong(&ok);
  if (ok) value = n;
  return ok;
}

void ReadCheck(const RegistryRoutines& store, QCheckBox* box) {
  const QString text = Stored(store, box->objectName());
  long value = 0;
  if (!text.isEmpty() && !Number(text, value)) return;
  if (value >= 0 && value <= 2) FormControls::SetCheckValue(box, int(value));
}

void ReadColor(const RegistryRoutines& store, QWidget* swatch) {
  const QString text = Stored(store, swatch->objectName());
  long color = 0;
  if (text.isEmpty() || Number(text, color)) FormControls::SetControlBackColor(swatch, color);
}

void ReadPosition(const RegistryRoutines& store, QComboBox* box) {
  const QString text = Stored(store, box->objectName());
  long position = 0;
  if (!text.isEmpty() && !Number(text, position)) return;
  if (position >= -1 && position < box->count()) box->setCurrentIndex(int(position));
}

void ReadListText(const RegistryRoutines& store, QComboBox* box) {
  const QString text = Stored(store, box->objectName());
  if (!text.isEmpty()) FormControls::SelectText(box, text);
}

void Write(const RegistryRoutines& store, const QString& name, const QString& text) {
  store.SetRegistryValue(name, text, REG_SZ);
}
void WriteCheck(const RegistryRoutines& store, const QCheckBox* box) {
  Write(store, box->objectName(), QString::number(FormControls::CheckValue(box)));
}
void WritePosition(const RegistryRoutines& store, const QComboBox* box) {
  Write(store, box->objectName(), QString::number(box->currentIndex()));
}
void WriteListText(const RegistryRoutines& store, const QComboBox* box) {
  Write(store, box->objectName(), box->currentText());
}

}  // namespace StoredControls
