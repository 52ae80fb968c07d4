// The item texts of the control form's drop-down lists (the algorithm list comes from the
// catalogue).
#pragma once

#include <QStringList>

namespace mv::ui {

QStringList value_distribution_captions();  // ComboBox3, 21 items
QStringList structure_captions();           // ComboBox2, 28 items
QStringList presorting_captions();          // ComboBox4, 37 items
QStringList block_swapping_captions();      // ComboBox5, 26 items

}  // namespace mv::ui
