// Numeric input fields: a line edit that keeps its format (number of
// decimals; zero or negative means an integer format), reads and writes its
// value, and checks it against bounds when the focus leaves it. The dialog
// owns the field. Reading never fails: bad or empty text reads as 0 and says
// so; a refused value is replaced by the bound it crossed.
#pragma once

#include <QLineEdit>

#include <string>
#include <string_view>

class QPoint;

namespace corvalinde::ui {

class Dialog;

// Bound flags of validate_number_field.
enum NumberBounds : unsigned {
  kLowerBound = 1,  // the value may not lie below the minimum
  kUpperBound = 2,  // the value may not lie above the maximum
};

struct NumberReading {
  double value = 0.0;
  bool empty = false;  // the field held no digits (value 0)
  bool valid = true;   // false: the text is not a number (value 0)
};

// Parsing and formatting, without a screen. A decimal comma reads as a point;
// texts that would give a non-finite number are not valid.
NumberReading parse_number(std::string_view text);
std::string format_number(double value, int decimals);

// Half a unit of the last decimal place shown (0.5 for integer formats).
double number_tolerance(int decimals);

// The bound a reading must be replaced by, or nothing when it may stay.
struct BoundCheck {
  bool refused = false;
  double replacement = 0.0;
};
BoundCheck check_number_bounds(const NumberReading& reading, int decimals, unsigned bounds, double minimum,
                               double maximum);

class NumberField final : public QLineEdit {
  Q_OBJECT

 public:
  NumberField(int decimals, QWidget* parent);
  int decimals() const { return decimals_; }
  void set_value(double value);
  NumberReading reading() const;

 private:
  int decimals_;
};

// Creates number field n at `at`, width_chars characters wide.
NumberField* create_number_field(Dialog& dialog, int n, QPoint at, int width_chars, int decimals);
void set_number_field(Dialog& dialog, int n, double value);
NumberReading read_number_field(const Dialog& dialog, int n);

// Acts when the focus has moved from field n to another widget of the same
// dialog, or when the framework validates before a command. A value outside
// the bounds (with the tolerance of the field's format) is replaced by the
// bound; the program beeps, gives the focus back to the field, selects its
// text and returns true, so that the caller does not accept.
bool validate_number_field(Dialog& dialog, int n, unsigned bounds, double minimum, double maximum);

}  // namespace corvalinde::ui
