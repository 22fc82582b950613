#pragma once
class QApplication;

// What the program sets on the application before the window is made: the title, the style, the
// Japanese locale, and the fonts the window names mapped to the IPA fonts.
void InitialiseApplication(QApplication& app);
