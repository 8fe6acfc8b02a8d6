// Stands for a GIO library that lacks the calls the program resolves by name.
int FakeGioMarker = 0;
