<?xml version="1.0" encoding="UTF-8"?>
<!-- A message thread and the record it is about. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
                xmlns:str="http://exslt.org/strings" exclude-result-prefixes="str">
  <xsl:import href="common.xsl"/>
  <xsl:output method="html" encoding="UTF-8" indent="no"/>

  <xsl:template match="/messages">
    <html>
      <xsl:call-template name="head"><xsl:with-param name="title" select="'Messages'"/></xsl:call-template>
      <body>
        <div class="commands">
          <xsl:if test="@reply = '1'">
            <xsl:call-template name="command"><xsl:with-param name="name" select="'send-message'"/><xsl:with-param name="text" select="'Reply'"/></xsl:call-template>
          </xsl:if>
          <xsl:choose>
            <xsl:when test="@context-type = 'query' or @context-type = 'query_cars'">
              <xsl:call-template name="command"><xsl:with-param name="name" select="'goto-query'"/><xsl:with-param name="text" select="'Go to the query'"/></xsl:call-template>
            </xsl:when>
            <xsl:when test="@context-type = 'quote' or @context-type = 'quote_cars'">
              <xsl:call-template name="command"><xsl:with-param name="name" select="'goto-quote'"/><xsl:with-param name="text" select="'Go to the quote'"/></xsl:call-template>
            </xsl:when>
            <xsl:when test="@context-type = 'deal'">
              <xsl:call-template name="command"><xsl:with-param name="name" select="'goto-deal'"/><xsl:with-param name="text" select="'Go to the hot deal'"/></xsl:call-template>
            </xsl:when>
            <xsl:when test="@context-type = 'order'">
              <xsl:call-template name="command"><xsl:with-param name="name" select="'goto-order'"/><xsl:with-param name="text" select="'Go to the purchase order'"/></xsl:call-template>
            </xsl:when>
          </xsl:choose>
        </div>
        <xsl:apply-templates select="message"/>
      </body>
    </html>
  </xsl:template>
</xsl:stylesheet>
