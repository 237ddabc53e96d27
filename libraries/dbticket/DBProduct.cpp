#include "DBProduct.h"

#include "XmlElement.h"

DBProduct::DBProduct(std::string conninfo)
    : DBObject(std::move(conninfo)),
      amount_c(0.0f),
      position_c(0),
      target_c(0.0f),
      cumtarget_c(0.0f),
      adjustedtarget_c(0.0f),
      actual_c(0.0f),
      cumactual_c(0.0f),
      moisture_c(0.0f),
      over_c(false),
      low_tol_c(0.0f),
      high_tol_c(0.0f),
      scale_start_c(0.0),
      scale_end_c(0.0)
{
}

std::string DBProduct::xmlString() const
{
    return XmlEncoded("id_c", Id())
        + XmlEncoded("type_c", Type())
        + XmlEncoded("description_c", Description())
        + XmlEncoded("usmetric_c", UsMetric())
        + XmlEncoded("unitmeasure_c", UnitMeasure())
        + XmlFlag("taxable_c", Taxable())
        + XmlFloat("unitprice_c", UnitPrice());
}

void DeleteProducts(std::vector<DBProduct*>& list)
{
    for (DBProduct* product : list)
        delete product;
    list.clear();
}
