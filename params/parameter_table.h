// The parameter space: 120 indices, of which the first 36 are seen by the host (named,
// automated, stored in programs) and the rest are internal voicing parameters fixed at
// construction. This file knows, for every index, its name, unit label, value text,
// storage kind and construction default. It knows nothing about the engine: the texts are
// pure functions of the stored normalized value, derived with the laws of value_laws.h
// exactly as the engine derives its own values, so host, editor and engine always agree.
//
// Any index is accepted, negative and >= 120 included: such an index has no name, an empty
// display and the label " ".
#pragma once

#include "params/display_rules.h"
#include "params/parameter_indices.h"

#include <array>

namespace kestro {

inline constexpr int kNumParameters = 120;
inline constexpr int kNumHostParameters = 36;
inline constexpr int kNumPrograms = 32;


bool isValidParameterIndex(int index);   // 0..119
bool canParameterBeAutomated(int index); // 0..35
// False for the indices that store nothing (36, 57, 59, 64-67, 71, 73, 81-84, 108) and for
// anything outside 0..119: getParameter answers 0.0 for them.
bool hasValueSlot(int index);
// Indices whose value the engine keeps widened to double (15, 46-52, 56, 60, 80, 85, 86, 89,
// 92, 95, 113, 114); getParameter narrows it back, so the float round-trips unchanged.
bool isStoredAsDouble(int index);
// Bypass, CPUmode, Lever, Speed, Stop and MIDIchl: written into all programs when set.
bool isGlobalParameter(int index);

// The name of the index, "" when it has none. Host names are at most 9 characters,
// internal names at most 29. Never null.
const char* parameterName(int index);

// Passed as frequencyLimitHz when the engine has no model rate to limit against.
inline constexpr double kNoFrequencyLimit = 0.0;

// The three host texts. `text` must hold kTextBufferSize (64) bytes. v is the stored
// normalized value of the index (getParameter). Indices 22 (HHPF) and 29 (DLPF) show the
// filter frequency after the engine's limit to half the model rate: pass that half rate as
// frequencyLimitHz (anything not positive means "no limit"); every other index ignores it.
// The label of 22 and 29 depends on the limited frequency as well, so pass the same limit.
void getParameterName(int index, char* text);
void getParameterLabel(int index, float v, char* text, double frequencyLimitHz = kNoFrequencyLimit);
void getParameterDisplay(int index, float v, char* text, double frequencyLimitHz = kNoFrequencyLimit);

// What the engine copies into the VST 2.4 parameter-properties record. Only these fields
// are ever written; the rest of the host's record stays as the host left it.
inline constexpr int kParameterIsSwitch = 1;
inline constexpr int kParameterUsesFloatStep = 4;

struct ParameterPropertiesInfo {
    int flags;
    float stepFloat;
    float smallStepFloat;
    float largeStepFloat;
    char label[64];     // the full name
    char shortLabel[8]; // the first 7 characters of the name
};

// Fills `out` for any index (answers true for every index, as the host expects).
bool getParameterProperties(int index, ParameterPropertiesInfo& out);

// The construction defaults routine: setParameter is called with these pairs, in this order.
// The order matters because setting one index reads what earlier ones have set (HDistance
// reads the mic-2 offset, Mech and Drum Sample Volume share the mech send...). Indices 31..34
// and 36 are not in it.
struct ParameterDefault {
    int index;
    float value;
};

inline constexpr std::array<ParameterDefault, 115> kConstructionDefaults = {{
    {2, 0.0f},         {37, 0.5f},       {38, 0.19f},      {21, 0.5f},       {39, 0.0f},
    {23, 0.5f},        {40, 0.52f},      {41, 0.2575f},    {42, 1.0f},       {43, 0.55f},
    {17, 0.0673f},     {18, 0.677088f},  {44, 0.245586f},  {45, 0.497676f},  {46, 0.497715f},
    {47, 0.5f},        {48, 0.5f},       {49, 0.5f},       {50, 0.5f},       {51, 0.5f},
    {52, 0.559258f},   {53, 0.0f},       {54, 1.0f},       {55, 0.922695f},  {56, 0.696738f},
    {57, 0.0f},        {19, 0.375887f},  {20, 0.455859f},  {58, 0.0f},       {59, 0.0f},
    {60, 0.348672f},   {61, 0.61418f},   {62, 0.5f},       {28, 0.0f},       {63, 0.476328f},
    {30, 0.5f},        {64, 0.0f},       {65, 0.0f},       {66, 0.0f},       {67, 0.0f},
    {26, 0.630063f},   {27, 0.741758f},  {24, 0.0931f},    {25, 0.65282f},   {68, 0.658691f},
    {69, 0.492148f},   {70, 0.923145f},  {22, 0.0f},       {71, 0.0f},       {72, 0.0f},
    {73, 0.0f},        {74, 0.5f},       {13, 0.5f},       {75, 0.06f},      {76, 0.184834f},
    {77, 0.4f},        {78, 0.3f},       {79, 0.0f},       {80, 0.0f},       {81, 0.0f},
    {82, 0.0f},        {83, 0.0f},       {84, 0.0f},       {85, 0.5f},       {86, 0.5f},
    {87, 0.849902f},   {88, 1.0f},       {89, 0.13f},      {90, 0.657754f},  {12, 0.5f},
    {91, 0.653926f},   {92, 0.353047f},  {93, 0.5f},       {94, 0.500977f},  {95, 0.0f},
    {96, 0.658926f},   {97, 0.67334f},   {98, 0.3f},       {16, 0.0f},       {99, 0.193426f},
    {100, 0.371357f},  {101, 0.241094f}, {5, 0.5f},        {102, 0.125f},    {103, 0.170079f},
    {104, 0.100002f},  {105, 0.120002f}, {106, 0.69897f},  {107, 0.0f},      {29, 1.0f},
    {108, 0.0f},       {8, 0.501063f},   {4, 0.0f},        {109, 0.0f},      {3, 0.0f},
    {7, 0.5f},         {9, 0.5f},        {110, 0.5f},      {11, 0.500008f},  {111, 1.0f},
    {112, 0.256055f},  {113, 0.5f},      {114, 0.5f},      {115, 0.789297f}, {116, 0.30103f},
    {117, 0.328904f},  {118, 0.0f},      {10, 0.25f},      {119, 0.795879f}, {6, 0.5f},
    {15, 0.508422f},   {14, 0.0f},       {1, 1.0f},        {35, 1.0f},       {0, 0.0f},
}};

// The spare host slots 31..34 start here when the effect is created (they are never set by
// the defaults routine).
inline constexpr std::array<float, 4> kSpareInitialValues = {0.5f, 0.5f, 1.0f, 0.5f};

} // namespace kestro
