// Registers the stand-ins' classes that stored layouts name.
#pragma once

void RegisterStandinsClasses();
