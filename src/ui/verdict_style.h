// How a verdict looks wherever the window shows one (table, console,
// diagrams): a colour, a symbol that reads without colour, an icon made of
// both, and its translated name. Fail, warning and not assessable each have
// their own colour and shape.
#pragma once

#include <QColor>
#include <QIcon>
#include <QString>

#include "output/finding_record.h"

namespace corvalinde::ui {

QColor verdict_colour(Verdict verdict);
// One character: a check mark, a cross, an exclamation mark, a question mark.
QString verdict_symbol(Verdict verdict);
QString verdict_label(Verdict verdict);  // translated
QIcon verdict_icon(Verdict verdict);
QString review_label(Review review);  // translated

}  // namespace corvalinde::ui
