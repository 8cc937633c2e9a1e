#pragma once

namespace brenvo1::platform::windows {

// Has Windows load every DLL the program asks for later, by name, from
// the system folder only: never from the folder the program was started
// from or from the current folder, where a DLL with a system DLL's name
// (planted beside a downloaded program, say) would otherwise be taken in
// its place. Called first thing in each program's entry point, before
// anything can load a DLL on demand.
void LoadDllsFromSystemFolderOnly();

}  // namespace brenvo1::platform::windows
