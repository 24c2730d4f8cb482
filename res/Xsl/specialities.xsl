<?xml version="1.0" encoding="UTF-8"?>
<!-- The member's specialities: one line per condition of the filter. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
                xmlns:str="http://exslt.org/strings" exclude-result-prefixes="str">
  <xsl:import href="common.xsl"/>
  <xsl:output method="html" encoding="UTF-8" indent="no"/>

  <xsl:template match="/specialities">
    <html>
      <xsl:call-template name="head"><xsl:with-param name="title" select="'My Specialty'"/></xsl:call-template>
      <body>
        <h2>My Specialty: Parts</h2>
        <table class="fields">
          <xsl:call-template name="line"><xsl:with-param name="id" select="'originate_state'"/><xsl:with-param name="text" select="'Buyer state'"/></xsl:call-template>
          <xsl:call-template name="line"><xsl:with-param name="id" select="'pi_type'"/><xsl:with-param name="text" select="'Part condition'"/></xsl:call-template>
          <xsl:call-template name="line"><xsl:with-param name="id" select="'pi_category'"/><xsl:with-param name="text" select="'Part category'"/></xsl:call-template>
          <xsl:call-template name="line"><xsl:with-param name="id" select="'vi_make'"/><xsl:with-param name="text" select="'Make'"/></xsl:call-template>
          <xsl:call-template name="line"><xsl:with-param name="id" select="'vi_model'"/><xsl:with-param name="text" select="'Model'"/></xsl:call-template>
          <xsl:call-template name="line"><xsl:with-param name="id" select="'years'"/><xsl:with-param name="text" select="'Years'"/></xsl:call-template>
        </table>
        <div class="commands">
          <xsl:call-template name="command"><xsl:with-param name="name" select="'edit-speciality'"/><xsl:with-param name="text" select="'Edit my specialty'"/></xsl:call-template>
        </div>
      </body>
    </html>
  </xsl:template>

  <xsl:template match="/specialities_cars">
    <html>
      <xsl:call-template name="head"><xsl:with-param name="title" select="'My Specialty'"/></xsl:call-template>
      <body>
        <h2>My Specialty: Cars</h2>
        <table class="fields">
          <xsl:call-template name="line"><xsl:with-param name="id" select="'vi_category'"/><xsl:with-param name="text" select="'Category'"/></xsl:call-template>
          <xsl:call-template name="line"><xsl:with-param name="id" select="'vi_make'"/><xsl:with-param name="text" select="'Make'"/></xsl:call-template>
          <xsl:call-template name="line"><xsl:with-param name="id" select="'vi_model'"/><xsl:with-param name="text" select="'Model'"/></xsl:call-template>
          <xsl:call-template name="line"><xsl:with-param name="id" select="'years'"/><xsl:with-param name="text" select="'Years'"/></xsl:call-template>
          <xsl:call-template name="line"><xsl:with-param name="id" select="'price'"/><xsl:with-param name="text" select="'Price'"/></xsl:call-template>
          <xsl:call-template name="line"><xsl:with-param name="id" select="'location'"/><xsl:with-param name="text" select="'Location'"/></xsl:call-template>
        </table>
        <div class="commands">
          <xsl:call-template name="command"><xsl:with-param name="name" select="'edit-speciality-cars'"/><xsl:with-param name="text" select="'Edit my specialty'"/></xsl:call-template>
        </div>
      </body>
    </html>
  </xsl:template>

  <!-- One line: the texts of every element of that name, "Any" when there is none. -->
  <xsl:template name="line">
    <xsl:param name="id"/>
    <xsl:param name="text"/>
    <xsl:param name="items" select="/*/*[local-name() = $id]"/>
    <tr>
      <td class="label"><xsl:value-of select="$text"/></td>
      <td class="value" id="{$id}">
        <xsl:choose>
          <xsl:when test="not($items)">Any</xsl:when>
          <xsl:otherwise>
            <xsl:for-each select="$items">
              <xsl:if test="position() &gt; 1">, </xsl:if>
              <xsl:value-of select="."/>
            </xsl:for-each>
          </xsl:otherwise>
        </xsl:choose>
      </td>
    </tr>
  </xsl:template>
</xsl:stylesheet>
