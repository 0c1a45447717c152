#pragma once

#include <string>
#include <vector>

#include "model/samplestore.h"

// The recorded test: named channels of samples with their running range, the
// points and lines the methods draw on the plots, and the print windows.
class C_Buffer {
public:
    struct SCan {
        SampleStore samples;
        double min = 0.0;
        double max = 0.0;
        std::string name = "0";
        int count = 0;
    };

    struct SPrintRect {
        int xChannel = 0;
        int yChannel = 0;
        float lowerX = 0.0f;
        float upperX = 0.0f;
        float upperY = 0.0f;
        float lowerY = 0.0f;
    };

    struct SPicPoint {
        int firstChannel = 0;
        int secondChannel = 0;
        int sampleIndex = 0;
        float labelX = 0.0f;
        float labelY = 0.0f;
        std::string label;
        int colour = 0;
    };

    struct SPicLine {
        float x1 = 0.0f;
        float y1 = 0.0f;
        float x2 = 0.0f;
        float y2 = 0.0f;
        int colour = 0;
    };

    void SetCanCount(int n);
    int GetCanCount() const { return static_cast<int>(cans.size()); }
    void SetName(int channel, const std::string& text);
    std::string GetName(int channel) const;

    void AddValue(int channel, double value) {
        if (!Valid(channel)) return;
        SCan& c = cans[static_cast<size_t>(channel)];
        c.samples.push_back(value);
        c.count = static_cast<int>(c.samples.size());
        if (c.count == 1) {
            c.min = c.max = value;
        } else {
            Widen(c.min, c.max, value);
        }
    }
    // The range a channel keeps as samples are added: the first sample sets
    // it, and a NaN after it changes nothing.
    static void Widen(double& min, double& max, double value) {
        if (max <= value) max = value;
        if (min > value) min = value;
    }
    // Widen over many samples, with the result of widening one by one;
    // `first` when they open the channel (the first sample sets the range).
    static void WidenAll(double& min, double& max, const double* values, size_t n, bool first);
    // A whole channel at once, taken over without a copy, with the range
    // AddValue would have kept for it (min and max as Widen makes them).
    // The channel's old storage goes back in `samples`, to be used again.
    void TakeSamples(int channel, SampleStore& samples, double min, double max);
    // Replaces a channel by n samples, sample i being make(i), written in
    // place into its storage and with the range AddValue would have kept.
    template <class Make>
    void Rebuild(int channel, size_t n, Make make) {
        if (!Valid(channel)) return;
        double* const out = Refill(channel, n);
        for (size_t i = 0; i < n; ++i)
            out[i] = make(i);
        Settle(channel);
    }

    int GetCount(int channel) const;
    double GetValue(int channel, int index) const;
    double GetMin(int channel) const;
    // Recomputes the channel's range over every sample and returns its maximum.
    double GetMax(int channel);
    void ClearCan(int channel);
    void ClearAll();

    void AddPicLine(float x1, float y1, float x2, float y2, int colour);
    void AddPicPoint(float labelX, float labelY, int colour, int firstChannel, int secondChannel,
                     int sampleIndex, const std::string& label);
    // Removes the points, the lines and the print windows.
    void ClearPics();
    void AddPrintRect(float lowerX, float upperX, float upperY, float lowerY, int xChannel,
                      int yChannel);
    void ClearPrintRects();

    std::vector<SCan> cans;
    std::vector<SPrintRect> printRects;
    std::vector<SPicPoint> picPoints;
    std::vector<SPicLine> picLines;

private:
    // Rebuild's halves: room for n samples in place of the channel's, and
    // the count and range of what was written there.
    double* Refill(int channel, size_t n);
    void Settle(int channel);

    bool Valid(int channel) const {
        return channel >= 0 && channel < static_cast<int>(cans.size());
    }
};
