#include "model/cbuffer.h"

void C_Buffer::SetCanCount(int n) {
    cans.clear();
    if (n > 0) cans.resize(static_cast<size_t>(n));
}

void C_Buffer::SetName(int channel, const std::string& text) {
    if (Valid(channel)) cans[static_cast<size_t>(channel)].name = text;
}

std::string C_Buffer::GetName(int channel) const {
    return Valid(channel) ? cans[static_cast<size_t>(channel)].name : std::string();
}

int C_Buffer::GetCount(int channel) const {
    return Valid(channel) ? cans[static_cast<size_t>(channel)].count : 0;
}

double C_Buffer::GetValue(int channel, int index) const {
    if (!Valid(channel)) return 0.0;
    const SCan& c = cans[static_cast<size_t>(channel)];
    if (index < 0 || index >= static_cast<int>(c.samples.size())) return 0.0;
    return c.samples[static_cast<size_t>(index)];
}

double C_Buffer::GetMin(int channel) const {
    return Valid(channel) ? cans[static_cast<size_t>(channel)].min : 0.0;
}

double C_Buffer::GetMax(int channel) {
    if (!Valid(channel)) return 0.0;
    SCan& c = cans[static_cast<size_t>(channel)];
    if (c.samples.empty()) {
        c.min = c.max = 0.0;
        return 0.0;
    }
    double lo = c.samples.front();
    double hi = lo;
    for (double v : c.samples) {
        if (v > hi) hi = v;
        if (v < lo) lo = v;
    }
    c.min = lo;
    c.max = hi;
    return hi;
}

void C_Buffer::ClearCan(int channel) {
    if (!Valid(channel)) return;
    SCan& c = cans[static_cast<size_t>(channel)];
    c.samples.clear();  // keeps the capacity: the next test appends without allocating
    c.count = 0;
    c.min = c.max = 0.0;
}

void C_Buffer::ClearAll() {
    for (int i = 0; i < GetCanCount(); ++i)
        ClearCan(i);
    ClearPics();
    ClearPrintRects();
}

void C_Buffer::AddPicLine(float x1, float y1, float x2, float y2, int colour) {
    picLines.push_back({x1, y1, x2, y2, colour});
}

void C_Buffer::AddPicPoint(float labelX, float labelY, int colour, int firstChannel,
                           int secondChannel, int sampleIndex, const std::string& label) {
    picPoints.push_back({firstChannel, secondChannel, sampleIndex, labelX, labelY, label, colour});
}

void C_Buffer::ClearPics() {
    picPoints.clear();
    picLines.clear();
    printRects.clear();
}

void C_Buffer::AddPrintRect(float lowerX, float upperX, float upperY, float lowerY, int xChannel,
                            int yChannel) {
    printRects.push_back({xChannel, yChannel, lowerX, upperX, upperY, lowerY});
}

void C_Buffer::ClearPrintRects() {
    printRects.clear();
}
