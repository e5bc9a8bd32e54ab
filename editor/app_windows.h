#pragma once

namespace tavrin {

class TForm1;
class TSetCom;
class TAboutBox;
class TMoveSpeedfrm;
class TsignColorfrm;

// The windows created at start and kept for the whole run. A window whose part is not built
// is null, and the commands that would open it are disabled.
struct AppWindows {
  TForm1* form1 = nullptr;
  TSetCom* setCom = nullptr;
  TAboutBox* aboutBox = nullptr;
  TMoveSpeedfrm* moveSpeed = nullptr;
  TsignColorfrm* signColor = nullptr;
};

}  // namespace tavrin
