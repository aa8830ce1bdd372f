#pragma once

#include <QComboBox>

#include "model/choice.h"

namespace vendaro {

// A choice's items, in the order the settings file numbers them, so a combo
// box's index is the stored value.
inline void AddChoiceItems(QComboBox* combo, const ChoiceInfo& choice) {
  for (const char* caption : choice.captions) combo->addItem(QString::fromUtf8(caption));
}

}  // namespace vendaro
