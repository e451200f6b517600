// The tutor's sounds.
#include "board/go_board.h"

void GoBoard::playSound(int id) const {
  if (soundOn == 0) return;
  if (!platform::playSoundResource(id)) platform::beep(0);
}
