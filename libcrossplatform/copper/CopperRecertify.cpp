// Re-judging a copper test: lengths from delays, scalars against the scalar limits, the overall verdict.
#include <cmath>

#include "copper/CopperEvaluation.h"

namespace Kestrix {

namespace {

const CopperScalar* findScalar(const std::vector<CopperScalar>& scalars, CopperTestType type, CableEnd end,
                               WirePair pair) {
    for (const auto& s : scalars)
        if (s.copperTestType == type && s.cableEnd == end && s.wirePair == pair) return &s;
    return nullptr;
}

// Checks S against L. `decides` is false for info-only limits and for lengths that are not the shortest;
// `maxFactor` widens the maximum (twisted-pair lengths).
void checkScalar(CopperScalar& s, const CopperScalarLimit& limit, bool decides, float maxFactor = 1.0f) {
    s.limitMax = limit.maxValue;
    s.limitMin = limit.minValue;
    if (!decides) return;
    if (s.qualifier != ScalarQualifier::normal) {
        s.status = s.qualifier == ScalarQualifier::tooShort ? Status::show : Status::fail;
        return;
    }
    const ScaledInt v = s.scaledValue();
    ScaledInt maximum = limit.maxValue;
    if (maxFactor != 1.0f && maximum.isFinite()) maximum = ScaledInt(maximum.toFloat() * maxFactor, s.scaledTo);
    if (maximum.isFinite()) s.status = v <= maximum ? Status::pass : Status::fail;
    if (limit.minValue.isFinite()) s.status = mergeStatus(s.status, v >= limit.minValue ? Status::pass : Status::fail);
}

// Unbalance: the percent allowance of the resistance wins over the ohm limit when it is larger.
void checkUnbalance(CopperScalar& s, const CopperLimit& limit, CopperScalarLimitType ohmType,
                    CopperScalarLimitType percentType, float resistance) {
    CopperScalarLimit ohm, percent;
    if (!limit.findScalarLimit(ohm, ohmType) || !limit.findScalarLimit(percent, percentType)) return;
    const ScaledInt allowance(percent.maxValue.toFloat() * resistance * 0.01f, ohm.maxValue.scaledTo);
    if (allowance > ohm.maxValue) {
        percent.maxValue = allowance;
        checkScalar(s, percent, !percent.isInfoOnly);
    } else {
        checkScalar(s, ohm, !ohm.isInfoOnly);
    }
}

void recomputeLengths(std::vector<CopperScalar>& scalars, float nvp) {
    for (auto& len : scalars) {
        if (len.copperTestType != CopperTestType::length) continue;
        for (const auto& d : scalars) {
            if (d.copperTestType != CopperTestType::delay || d.cableEnd != len.cableEnd || d.wirePair != len.wirePair ||
                d.wirePair2 != WirePair::notset)
                continue;
            const float delayNs = d.scaledValue().toFloat();
            len.value = delayNs / 1000000000.0f * 299792448.0f * nvp / 100.0f;
            break;
        }
    }
}

}  // namespace

namespace Evaluation {

Status evaluateScalars(CopperTest& test) {
    CopperTestBody& body = test.body;
    if (!body.limit) return Status::notSet;
    const CopperLimit& limit = *body.limit;
    const CopperTest::ShortestLength shortest = test.shortestLength();
    const float lengthFactor = limit.mediaType == CopperLimit::MediaType::coax ? 1.0f : 1.1f;
    Status result = Status::notSet;

    for (size_t i = 0; i < body.scalars.size(); ++i) {
        CopperScalar& s = body.scalars[i];
        if (s.cableEnd == CableEnd::remote || !body.outletConfig.isPairUsed(s.wirePair)) {
            s.status = Status::dontShow;
            continue;
        }
        s.status = Status::show;
        s.limitMax = ScaledInt();
        s.limitMin = ScaledInt();
        CopperScalarLimit l;
        switch (s.copperTestType) {
            case CopperTestType::resist:
                if (limit.findScalarLimit(l, CopperScalarLimitType::resistance)) checkScalar(s, l, !l.isInfoOnly);
                break;
            case CopperTestType::imped:
                if (limit.findScalarLimit(l, CopperScalarLimitType::impedance) ||
                    limit.findScalarLimit(l, CopperTestType::imped, body.cable.impedance))
                    checkScalar(s, l, !l.isInfoOnly);
                break;
            case CopperTestType::length:
                if (limit.findScalarLimit(l, CopperScalarLimitType::length)) {
                    const bool isShortest = shortest.index < 0 || shortest.index == static_cast<int>(i);
                    checkScalar(s, l, !l.isInfoOnly && isShortest, lengthFactor);
                }
                break;
            case CopperTestType::delay:
                if (limit.findScalarLimit(l, CopperScalarLimitType::propDelay)) checkScalar(s, l, !l.isInfoOnly);
                break;
            case CopperTestType::skew:
                if (limit.findScalarLimit(l, CopperScalarLimitType::delaySkew)) checkScalar(s, l, !l.isInfoOnly);
                break;
            case CopperTestType::unbalance:
                if (const CopperScalar* r =
                        findScalar(body.scalars, CopperTestType::resist, CableEnd::main, s.wirePair))
                    checkUnbalance(s, limit, CopperScalarLimitType::unbalanceOhm,
                                   CopperScalarLimitType::unbalancePercent, r->value);
                break;
            case CopperTestType::p2pUnbalance: {
                const CopperScalar* a =
                    findScalar(body.scalars, CopperTestType::resistParallel, CableEnd::main, s.wirePair);
                const CopperScalar* b =
                    findScalar(body.scalars, CopperTestType::resistParallel, CableEnd::main, s.wirePair2);
                if (a && b)
                    checkUnbalance(s, limit, CopperScalarLimitType::p2pUnbalanceOhm,
                                   CopperScalarLimitType::p2pUnbalancePercent, a->value + b->value);
                break;
            }
            case CopperTestType::resistParallel: s.status = Status::dontShow; break;
            default: break;
        }
        result = mergeStatus(result, s.status);
    }
    return result;
}

Status overallStatus(const CopperTest& test) {
    const CopperTestBody& body = test.body;
    Status s = mergeStatus(Status::show, body.wiremap.status);
    const CopperScalar* largest = nullptr;
    for (const auto& sc : body.scalars)
        if (!largest || static_cast<int32_t>(sc.status) > static_cast<int32_t>(largest->status)) largest = &sc;
    s = mergeStatus(s, largest ? largest->status : Status::notSet);
    s = mergeStatus(s, body.copperfreqs.worstStatus());
    if (body.limit) {
        const CopperLimit& limit = *body.limit;
        // Custom outlets on twisted pair may leave out measurements the limit asks for.
        const bool customOutlet = limit.mediaType != CopperLimit::MediaType::coax && !body.outletConfig.name.empty() &&
                                  body.outletConfig.name[0] == '*';
        if (!customOutlet) {
            const CopperPlotIndex index(test.plots);
            for (const auto& l : limit.freqLimits) {
                if (l.isInfoOnly) continue;
                if (!index.hasType(testTypeOf(l.freqLimitType))) s = mergeStatus(s, Status::fail);
            }
        }
    }
    return s == Status::failStar ? Status::fail : s;
}

}  // namespace Evaluation

Status CopperTest::recertify(float nvp) {
    // Read tests are within bounds; a built one that is not is left as it is.
    if (!Evaluation::freqRecordsWithinBounds(*this)) return body.status;
    if (std::isfinite(nvp)) recomputeLengths(body.scalars, nvp);
    Evaluation::evaluateScalars(*this);
    Evaluation::rebuildFreqRecords(*this);
    body.status = Evaluation::overallStatus(*this);
    return body.status;
}

}  // namespace Kestrix
