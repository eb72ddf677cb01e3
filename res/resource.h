#pragma once
// Resource ids of the program (shared by res/Zentu.rc and the code that loads them).
