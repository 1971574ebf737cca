/* A library built twice with different answers: one copy in a trusted
   folder, one planted beside the program. */
__declspec(dllexport) int __stdcall PlantId(void) { return PLANT_ID; }
__declspec(dllexport) int __stdcall PlantTwice(int n) { return 2 * n + PLANT_ID; }
