// An export that the name table does not list: the export check must see it.
#include <cstdint>

extern "C" __declspec(dllexport) void __stdcall ZERVOLA_EXTRA(std::int32_t *value) { *value = 0; }
