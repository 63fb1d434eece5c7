// The program's entry: the one application object and the class library's main.
#include "wizard/OrvellaApp.h"

COrvellaApp theApp;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return AfxWinMain(); }
