// Background music. Playing files is not built yet: no track is ever found,
// so the program runs silent, as it does when no music file lies beside it.
#include "app/dorvan3d.h"

WORD MusicMode = MUSIC_NONE;

void StartMusic(const char*, HWND) {}

void StopMusic(void) { MusicMode = MUSIC_NONE; }
