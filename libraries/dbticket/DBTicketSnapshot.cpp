// The ticket snapshot: everything true of the ticket when it was batched.

#include "DBTicket.h"

#include "FormatString.h"
#include "XmlElement.h"

namespace {

// Slots left empty by a failed load hold no product and are not written. The
// count and the numbering cover only the entries that are, so the snapshot
// reads back as exactly the products it holds, numbered 1 to the count.
int CountEntries(const std::vector<DBProduct*>& list)
{
    int count = 0;
    for (const DBProduct* product : list)
        if (product)
            ++count;
    return count;
}

std::string MaterialEntry(const DBProduct& matl, int num)
{
    return FormatString("<matl num=\"%i\">", num)
        + matl.xmlString()
        + XmlFloat("amount_c", matl.amount_c)
        + XmlInt("position_c", matl.position_c)
        + XmlFloat("target_c", matl.target_c)
        + XmlFloat("cumtarget_c", matl.cumtarget_c)
        + XmlFloat("adjustedtarget_c", matl.adjustedtarget_c)
        + XmlFloat("actual_c", matl.actual_c)
        + XmlFloat("cumactual_c", matl.cumactual_c)
        + XmlFloat("moisture_c", matl.moisture_c)
        + XmlFlag("over_c", matl.over_c)
        + XmlFloat("low_tol_c", matl.low_tol_c)
        + XmlFloat("high_tol_c", matl.high_tol_c)
        + XmlFloat("scale_start_c", matl.scale_start_c)
        + XmlFloat("scale_end_c", matl.scale_end_c)
        + "</matl>";
}

std::string ProductEntry(const DBProduct& prod, int num)
{
    return FormatString("<prod num=\"%i\">", num)
        + prod.xmlString()
        + XmlFloat("amount_c", prod.amount_c)
        + XmlInt("position_c", prod.position_c)
        + "</prod>";
}

}  // namespace

void DBTicket::CopySiteToJobAndTruck() const
{
    job->Deliverto(Deliverto());
    job->Street(Street());
    job->City(City());
    job->State(State());
    job->Zipcode(Zipcode());
    job->Instructions(Instructions());
    truck->Driver(Driver());
}

std::string DBTicket::xmlString() const
{
    std::string xml = "<ticket_t><batch_t>";
    xml += XmlEncoded("id_c", Id());
    xml += XmlEncoded("ordernumber_c", OrderNumber());
    // The batching times hold digits and separators only and go in unencoded.
    xml += XmlElement("timecreated_c", TimeCreated());
    xml += XmlElement("timetobatch_c", TimeToBatch());
    xml += XmlElement("timestarted_c", TimeStarted());
    xml += XmlElement("timefinished_c", TimeFinished());
    xml += XmlElement("datebatched_c", DateBatched());
    xml += XmlElement("timebatched_c", TimeBatched());
    xml += XmlFloat("batchsize_c", Batchsize());
    xml += XmlFloat("returned_c", Returned());
    xml += XmlFloat("watertrim_c", WaterTrim());
    xml += XmlInt("mixer_c", Mixer());
    xml += XmlInt("cycles_c", Cycles());
    xml += XmlFloat("salestax_c", SalesTax());
    xml += XmlFlag("printweights_c", PrintWeights());
    xml += XmlFlag("printprices_c", PrintPrices());
    xml += XmlFlag("printticket_c", PrintTicket());
    xml += XmlFloat2("formulaprice_c", FormulaPrice());
    xml += XmlFloat2("subtotal_c", Subtotal());
    xml += XmlFloat2("tax_c", Tax());
    xml += XmlFloat2("total_c", Total());
    xml += XmlInt("slumpwater_c", SlumpWater());
    xml += XmlFlag("manualbatch_c", ManualBatch());
    xml += XmlFlag("manualweighup_c", ManualWeighup());
    xml += XmlFlag("manualdischarge_c", ManualDischarge());
    xml += XmlInt("mixtime_c", MixTime());
    xml += XmlInt("mixingtime_c", MixingTime());
    xml += XmlFlag("simulatedbatch_c", SimulatedBatch());
    xml += XmlFloat2("agg1scalestart_c", agg1_scale_start);
    xml += XmlFloat2("agg1scaleend_c", agg1_scale_end);
    xml += XmlFloat2("cmt1scalestart_c", cmt1_scale_start);
    xml += XmlFloat2("cmt1scaleend_c", cmt1_scale_end);
    xml += "</batch_t>";

    CopySiteToJobAndTruck();
    xml += customer->xmlString();
    xml += job->xmlString();
    xml += formula->xmlString();
    xml += truck->xmlString();

    xml += "<materials_t>" + XmlInt("nummatl_c", CountEntries(matl_v));
    int num = 0;
    for (const DBProduct* matl : matl_v)
        if (matl)
            xml += MaterialEntry(*matl, ++num);
    xml += "</materials_t>";

    xml += "<products_t>" + XmlInt("numprod_c", CountEntries(prod_v));
    num = 0;
    for (const DBProduct* prod : prod_v)
        if (prod)
            xml += ProductEntry(*prod, ++num);
    xml += "</products_t>";

    xml += "</ticket_t>";
    return xml;
}
