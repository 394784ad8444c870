#include "SystemSounds.h"
#include <windows.h>
#include <mmsystem.h>

namespace kest {

void playSystemSound(SystemSound sound) {
    PlaySoundW(sound == SystemSound::Asterisk ? L"SystemAsterisk" : L"SystemHand", nullptr, SND_ASYNC | SND_NOWAIT);
}

}  // namespace kest
