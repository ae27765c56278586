#include "engine/factory_source.h"

#include "params/factory_programs.h"

namespace kestro {

namespace {

const ProgramData& slotOrFirst(int slot)
{
    const ProgramData* p = factoryProgram(slot);
    return p != nullptr ? *p : *factoryProgram(0);
}

} // namespace

const char* factoryProgramName(int slot)
{
    return slotOrFirst(slot).name;
}

const float* factoryProgramValues(int slot)
{
    return slotOrFirst(slot).values;
}

} // namespace kestro
