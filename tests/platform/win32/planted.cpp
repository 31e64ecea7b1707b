// A DLL as someone might leave it beside PASSWORD.INI.
extern "C" __declspec(dllexport) int planted() { return 1; }
