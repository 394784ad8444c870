#pragma once
// The band's only feedback: the system's asterisk sound acknowledges, the hand refuses.

namespace kest {

enum class SystemSound { Asterisk, Hand };

// Plays "SystemAsterisk" or "SystemHand" asynchronously, without waiting for a busy device.
void playSystemSound(SystemSound sound);
inline void PlayAsterisk() { playSystemSound(SystemSound::Asterisk); }

}  // namespace kest
