// The item texts of the control form's drop-down lists.
#pragma once

#include <QStringList>

namespace mv::ui {

// The algorithm list (ComboBox1): each catalogue entry's index before its caption, and after the
// captions "same", "same, ..." and "same as N" the entry they refer to, so that every line can be
// told apart and found by its words. The catalogue's captions themselves stay as they are.
QStringList algorithm_list_captions();
// The entry a "same" caption refers to: "same as N" names it, the others follow the nearest
// entry above whose caption is not a "same". -1 for every other caption.
int same_entry_referent(int index);

QStringList value_distribution_captions();  // ComboBox3, 21 items
QStringList structure_captions();           // ComboBox2, 28 items
QStringList presorting_captions();          // ComboBox4, 37 items
QStringList block_swapping_captions();      // ComboBox5, 26 items

}  // namespace mv::ui
