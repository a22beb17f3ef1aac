// A DLL that the smoke program loads at run time, to prove that LoadLibrary
// and exported functions work for this width.
extern "C" __declspec(dllexport) int smoke_add(int a, int b)
{
  return a + b;
}
