#pragma once

class QLineEdit;

namespace zeva {

// Keeps a numeric box to digits and at most its digit count, whether the text was typed or pasted
// (a validator would refuse a pasted "12a" whole instead of keeping "12").
void InstallNumericFilter(QLineEdit* box, int digits);

} // namespace zeva
