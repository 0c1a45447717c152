#pragma once

#include <span>
#include <string>

#include "model/parametr.h"

// Colour of a plot annotation as the plots take it: red + green * 256 + blue * 65536.
constexpr int Rgb(int red, int green, int blue) {
    return red + green * 256 + blue * 65536;
}

// The base of the standard methods: finds the characteristic points of the
// recorded curve (maximum and break, the elastic bound, the proportional
// limit, the elastic line, the yield point, the offset yield points) and
// draws the construction lines of that analysis into the buffer.
//
// The analysis reads the buffer channels xChannel and yChannel, and only the
// samples that both of them hold. Values are kept in single precision.
class C_Gost_Base : public C_Parametr {
public:
    static constexpr int kGrey = Rgb(128, 128, 128);
    static constexpr int kGreen = Rgb(0, 128, 0);
    static constexpr int kDarkGrey = Rgb(68, 68, 68);
    static constexpr int kScratch = 6;

    C_Gost_Base() = default;

    // Distance from P to the nearest point of the segment AB; 0 for a segment
    // of no length.
    static double DistToSegment(double px, double py, double ax, double ay, double bx, double by);

    // Every point and line of the last analysis forgotten; the channels and
    // the settings (channels, bound percent, gauge length, cut) stay.
    void ResetAnalysis();
    // The analysis up to the yield point, in its fixed order, from a clean
    // state; the offset points follow by FindOffsetYield.
    void Analyse(bool useBoundPercent);

    void FindMaxAndBreak();
    void FindTangentPoint();
    void SetElasticBoundByPercent(float pct);
    void FindProportionalLimit();
    void FitElasticLine();
    void FindYieldPoint();
    float FindFlattestWindow(int& index);
    void FindOffsetYield(float pct);
    void FindOffsetIntersection(float lineSlope, float lineIntercept, float xPropLimit, float foot,
                                float& y, int& index);
    void DrawOffsetLine(float lineSlope, float lineIntercept, float xPropLimit, float foot);

    // Samples the analysis reads: those present in both analysis channels.
    int SampleCount() const;

    int xChannel = 2;
    int yChannel = 1;
    float windowSlopes[10] = {};
    float yMax = 0.0f;
    int iMax = 0;
    float yTangent = 0.0f;
    int iTangent = 0;
    float yProp = 0.0f;
    float xProp = 0.0f;
    int iProp = 0;
    float yYield = 0.0f;
    int iYield = 0;
    float yOffset = 0.0f;
    int iOffset = 0;
    int boundPercent = 0;
    float plasticEnd = 0.0f;
    float plasticMax = 0.0f;
    float slope = 0.0f;
    float intercept = 0.0f;
    float xIntercept = 0.0f;
    float elasticDY = 0.0f;
    float elasticDX = 0.0f;
    // Sample of the 20 % point where the fitted elastic stretch begins; no
    // offset point lies before it.
    int iElasticStart = 0;
    float gaugeLength = 0.0f;
    int truncateAtBreak = 1;

protected:
    // The samples of one channel; empty for a channel the buffer lacks.
    std::span<const double> Samples(int channel) const;
    // Cuts the recorded and the derived channels together at a sample.
    void CutAt(int n);

    // The plot channels of the list ("fOX", "fOY"), when the analysis can use
    // them: a deformation on X (2, 3, 5) and a force or a stress on Y (1, 4).
    bool ChooseChannels();
    // Strain in percent of l0 (channel 5) and stress on `area` (channel 4),
    // rebuilt from the recorded channels sample by sample.
    void RebuildStrainAndStress(int strainSource, float l0, double area);
    // The proportional limit and the yield point set by hand on an earlier
    // calculation ("fPOSppc", "fPOStec") replace the automatic ones when they
    // are samples of this curve; otherwise the automatic ones are stored.
    void ApplyHandSetPoints();
    // The slider moved the result in `row` of `group` to `position` (0 to
    // 10000 over the recorded samples): a yield point or a proportional
    // limit takes the sample there, with its results on the cross-section
    // `s0`. True when the markers are to be drawn again.
    bool MoveManualPoint(int row, int group, float position, double s0);
    // The name of the `row`-th visible parameter of `group`; "" past them.
    std::string VisibleName(int row, int group) const;
};
