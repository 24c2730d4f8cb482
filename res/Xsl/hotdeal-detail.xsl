<?xml version="1.0" encoding="UTF-8"?>
<!-- The detail page of a hot deal and its preview. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
                xmlns:str="http://exslt.org/strings" exclude-result-prefixes="str">
  <xsl:import href="common.xsl"/>
  <xsl:output method="html" encoding="UTF-8" indent="no"/>

  <xsl:template match="/details | /details-preview">
    <html>
      <xsl:call-template name="head"><xsl:with-param name="title" select="'Hot Deal'"/></xsl:call-template>
      <body>
        <h2>Hot Deal <xsl:value-of select="@id"/></h2>
        <xsl:if test="self::details">
          <div class="commands">
            <xsl:if test="@sendmessage = '1'">
              <xsl:call-template name="command"><xsl:with-param name="name" select="'send-message'"/><xsl:with-param name="text" select="'Send a message'"/></xsl:call-template>
            </xsl:if>
            <xsl:if test="@messages = '1'">
              <xsl:call-template name="command"><xsl:with-param name="name" select="'show-messages'"/><xsl:with-param name="text" select="'Messages'"/></xsl:call-template>
            </xsl:if>
            <xsl:if test="@profile = '1'">
              <xsl:call-template name="command"><xsl:with-param name="name" select="'extended-profile'"/><xsl:with-param name="text" select="'Extended profile'"/></xsl:call-template>
            </xsl:if>
            <xsl:call-template name="command"><xsl:with-param name="name" select="'show-dealdetail'"/><xsl:with-param name="text" select="'Deal page'"/></xsl:call-template>
          </div>
        </xsl:if>
        <xsl:call-template name="record-head"/>
        <xsl:call-template name="sections"/>
      </body>
    </html>
  </xsl:template>
</xsl:stylesheet>
