// Every class the program's stored layouts may name, registered before any window or
// module is read (the program's start-up and the tests both call it).
#pragma once

void RegisterLayoutClasses();
