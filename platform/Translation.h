#pragma once
// Qt's own Korean texts (the standard buttons "확인", "예(Y)", "아니요(N)",
// the edit menus), so no English word shows in an all-Korean program.

namespace tarvik {

// Loads qtbase_ko.qm, the copy carried in the program's resources first (a
// copied program has it too), else the one in Qt's translations folder, and
// installs it on the running application. Installs it once, however often it
// is called; false when neither could be loaded (Qt's English texts stay).
bool InstallKoreanTranslation();

}  // namespace tarvik
