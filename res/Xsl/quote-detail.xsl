<?xml version="1.0" encoding="UTF-8"?>
<!-- The detail page of a part or car quote. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
                xmlns:str="http://exslt.org/strings" exclude-result-prefixes="str">
  <xsl:import href="common.xsl"/>
  <xsl:output method="html" encoding="UTF-8" indent="no"/>

  <xsl:template match="/details | /details-car | /details-car-det">
    <html>
      <xsl:call-template name="head"><xsl:with-param name="title" select="'Quote Details'"/></xsl:call-template>
      <body>
        <h2>Quote <xsl:value-of select="@id"/></h2>
        <xsl:call-template name="record-commands"/>
        <div class="commands">
          <!-- An ordered quote (status 4, or an order placed from it) is not ordered twice. -->
          <xsl:if test="@incoming = '1' and not(@orders = '1') and not(status_code = 4)">
            <xsl:call-template name="command"><xsl:with-param name="name" select="'new-order'"/><xsl:with-param name="text" select="'Place a purchase order'"/></xsl:call-template>
          </xsl:if>
          <xsl:if test="self::details-car or self::details-car-det">
            <xsl:call-template name="command"><xsl:with-param name="name" select="'car_quote_det'"/><xsl:with-param name="text" select="'Quote details'"/></xsl:call-template>
          </xsl:if>
        </div>
        <xsl:call-template name="record-head"/>
        <xsl:call-template name="sections"/>
      </body>
    </html>
  </xsl:template>

  <xsl:template match="/details-print | /details-print-car">
    <html>
      <xsl:call-template name="head"><xsl:with-param name="title" select="'Quote'"/></xsl:call-template>
      <body>
        <h2>Quote <xsl:value-of select="@id"/></h2>
        <xsl:call-template name="record-head"/>
        <xsl:call-template name="sections"/>
      </body>
    </html>
  </xsl:template>
</xsl:stylesheet>
