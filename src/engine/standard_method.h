#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/methodenv.h"

class C_Buffer;
class C_Parametr;

// What every standard method repeats around its own calculation: its
// template, the test date, the force and stress of a result, and the
// labelled markers on the curve.
class StandardMethod {
public:
    // methodText: the method's own text; it names the template, whatever a
    // template may have put into the list since.
    StandardMethod(const MethodEnv& env, std::string methodText);

    const MethodEnv& Env() const { return env_; }
    const std::string& Text() const { return text_; }
    std::string TemplateName() const;
    bool TemplateExists() const;

    // The end of a method's declarations: the template, when there is one,
    // replaces the list; the test date is today's either way.
    void LoadTemplate(C_Parametr& list) const;
    bool SaveTemplate(const C_Parametr& list) const;

    std::string Today() const;
    std::string TimeNow() const;

private:
    MethodEnv env_;
    std::string text_;
};

// A length or a cross-section that a result may be divided by or measured in:
// finite and above 0.
bool Usable(double v);

// Area of a circle of diameter d, with pi in full double precision.
double CircleArea(double d);
// Cross-sections from a list's dimensions: a round one from its diameter, a
// flat one from its width and thickness; 0 when a dimension is not usable.
double RoundSection(const C_Parametr& list, std::string_view diameter);
double FlatSection(const C_Parametr& list, std::string_view width, std::string_view thickness);

// Stores a result; a value that is not finite is no result and stored as 0.
void SetResult(C_Parametr& list, std::string_view name, double value);

// A value of the analysis Y channel as its force (kN) and its stress
// (N/mm²): with force on Y (channel 1) the stress follows from the area,
// with stress on Y the force does. An empty name is not written; an area
// that is not usable gives no result, both are stored as 0.
void SetForceStress(C_Parametr& list, std::string_view forceName, std::string_view stressName,
                    double value, int yChannel, double area);

struct Marker {
    double sample = 0.0;  // truncated to the sample index
    std::string label;
    int colour = 0;
};

// Appends labelled points on X channel xChannel and Y channel 1, in the
// given order. valueChannel >= 0: the label starts at that channel's value
// and the force at the sample, otherwise at 0, 0. A marker at sample 0 marks
// a point the analysis did not find, and one past the recorded samples has
// nothing to point at: neither is drawn.
void AddMarkers(C_Buffer& buffer, const std::vector<Marker>& markers, int xChannel = 2,
                int valueChannel = -1);
