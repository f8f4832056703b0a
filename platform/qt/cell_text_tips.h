// A table cell too narrow for its text shows the text cut ("…"); resting the mouse on it shows
// the whole text. Columns are sized for the usual texts, but dictionary entries, substance
// names and comments may be longer than any column a window has room for.
#pragma once

class QApplication;

namespace vk7 {

// From now on, in every item view of the application, the tooltip of a cell whose text does
// not fit is its whole text (a cell's own tooltip, where it has one, is shown as before).
void installCellTextTips(QApplication& app);

}  // namespace vk7
