#include "platform/sdl_audio_library.h"

#include <dlfcn.h>

#include <optional>

namespace tovira {
namespace {

template <class Function>
bool Find(void* library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(dlsym(library, name));
  return function != nullptr;
}

std::optional<SdlAudioLibrary> Load() {
  void* library = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) return std::nullopt;
  SdlAudioLibrary sdl{};
  const bool found = Find(library, "SDL_SetHint", sdl.SetHint) &&
                     Find(library, "SDL_InitSubSystem", sdl.InitSubSystem) &&
                     Find(library, "SDL_QuitSubSystem", sdl.QuitSubSystem) &&
                     Find(library, "SDL_OpenAudioDevice", sdl.OpenAudioDevice) &&
                     Find(library, "SDL_CloseAudioDevice", sdl.CloseAudioDevice) &&
                     Find(library, "SDL_PauseAudioDevice", sdl.PauseAudioDevice) &&
                     Find(library, "SDL_LockAudioDevice", sdl.LockAudioDevice) &&
                     Find(library, "SDL_UnlockAudioDevice", sdl.UnlockAudioDevice) &&
                     Find(library, "SDL_RWFromConstMem", sdl.RWFromConstMem) &&
                     Find(library, "SDL_LoadWAV_RW", sdl.LoadWAV_RW) && Find(library, "SDL_FreeWAV", sdl.FreeWAV) &&
                     Find(library, "SDL_BuildAudioCVT", sdl.BuildAudioCVT) &&
                     Find(library, "SDL_ConvertAudio", sdl.ConvertAudio);
  // The library stays loaded for the program's life: SDL's audio thread runs its code.
  if (!found) return std::nullopt;
  return sdl;
}

}  // namespace

const SdlAudioLibrary* SdlAudio() {
  static const std::optional<SdlAudioLibrary> library = Load();
  return library ? &*library : nullptr;
}

}  // namespace tovira
