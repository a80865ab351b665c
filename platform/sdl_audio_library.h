#pragma once
// SDL's audio functions, looked up in libSDL2 the first time a sound is to play.
// Linked when the program starts, SDL would bring some thirty libraries with it
// (the sound servers' clients and their codecs, Wayland, DRM) and make every
// launch wait for them, though most runs play no sound at all.

#include <SDL.h>

namespace tovira {

struct SdlAudioLibrary {
  decltype(&SDL_SetHint) SetHint;
  decltype(&SDL_InitSubSystem) InitSubSystem;
  decltype(&SDL_QuitSubSystem) QuitSubSystem;
  decltype(&SDL_OpenAudioDevice) OpenAudioDevice;
  decltype(&SDL_CloseAudioDevice) CloseAudioDevice;
  decltype(&SDL_PauseAudioDevice) PauseAudioDevice;
  decltype(&SDL_LockAudioDevice) LockAudioDevice;
  decltype(&SDL_UnlockAudioDevice) UnlockAudioDevice;
  decltype(&SDL_RWFromConstMem) RWFromConstMem;
  decltype(&SDL_LoadWAV_RW) LoadWAV_RW;
  decltype(&SDL_FreeWAV) FreeWAV;
  decltype(&SDL_BuildAudioCVT) BuildAudioCVT;
  decltype(&SDL_ConvertAudio) ConvertAudio;
};

// The functions, loaded once and kept for the program's life; null when libSDL2
// or one of them cannot be found (then no sound plays).
const SdlAudioLibrary* SdlAudio();

}  // namespace tovira
