// A DLL that someone left in the current folder under the client's name:
// the Windows Env must never load it. The test sees it by its export.
extern "C" __declspec(dllexport) int korvun_planted_library() { return 1; }
