<?xml version="1.0" encoding="UTF-8"?>
<!-- The page of a new hot deal: saved with its pictures as one MIME HTML file
     and sent to the server. Pictures are addressed as the message's parts
     ("cid:" and the encoded path, as MhtCreator::PageUrl writes them). -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
                xmlns:str="http://exslt.org/strings" exclude-result-prefixes="str">
  <xsl:import href="common.xsl"/>
  <xsl:output method="html" encoding="UTF-8" indent="no"/>

  <xsl:template match="/hotdeal">
    <html>
      <xsl:call-template name="head"><xsl:with-param name="title" select="title"/></xsl:call-template>
      <body>
        <h2 id="title"><xsl:value-of select="title"/></h2>
        <table class="fields">
          <xsl:for-each select="*[not(*) and not(self::title)][not(contains($internal-fields, concat(' ', local-name(), ' ')))]">
            <tr>
              <td class="label"><xsl:call-template name="label"/></td>
              <td class="value"><xsl:value-of select="."/></td>
            </tr>
          </xsl:for-each>
        </table>
        <xsl:for-each select="pictures/picture">
          <div class="deal-picture">
            <img class="picture" src="{concat('cid:', str:encode-uri(@name, true()))}" alt="{.}"/>
            <div class="picture-title"><xsl:value-of select="."/></div>
          </div>
        </xsl:for-each>
      </body>
    </html>
  </xsl:template>
</xsl:stylesheet>
