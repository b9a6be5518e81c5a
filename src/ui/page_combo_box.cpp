#include "ui/page_combo_box.h"

#include <QWheelEvent>

namespace kestrion::ui {

PageComboBox::PageComboBox(QWidget* parent) : QComboBox(parent) {}

void PageComboBox::wheelEvent(QWheelEvent* event)
{
    // Ignored, the event goes on to the parent.
    event->ignore();
}

}  // namespace kestrion::ui
