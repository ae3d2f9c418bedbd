// Text-to-integer conversion shared by the object database.

#ifndef OBJECTDB_INT_TEXT_H_
#define OBJECTDB_INT_TEXT_H_

// The standard atoi reading (leading blanks and tabs skipped, one optional
// sign, digits up to the first non-digit, 0 when there is no number), except
// that a number beyond the int range saturates at INT_MIN / INT_MAX instead
// of being undefined.  A null text gives 0.
int orvAtoi(const char* text);

#endif  // OBJECTDB_INT_TEXT_H_
