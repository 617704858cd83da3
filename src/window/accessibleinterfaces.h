#pragma once

// What a screen reader is told about the window and about the two controls whose usual
// interfaces say less than the screen shows. Qt builds an accessible interface for a widget the
// first time assistive technology asks for it, from the factories installed; ours answer for:
// - the window: a window (a frame on the Linux accessibility bus) named by its caption, where a
//   plain widget would be an unnamed filler;
// - Drive1: a drop-down list named by its accessible name, its value the drive shown (on Linux
//   Qt names a drop-down list by its current text and leaves its name to a label, which this one
//   has not);
// - Dir1: a list whose rows also say how deep each folder lies (their description, "niveau 2")
//   and whether it is open or closed (the expanded or collapsed state), which the icons and the
//   indentation only draw.

namespace quervelle {

// Installs the factory; once per program, however often it is called.
void installAccessibleInterfaces();

} // namespace quervelle
