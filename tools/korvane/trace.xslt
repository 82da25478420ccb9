<?xml version="1.0" encoding="UTF-8"?>
<!--
  Renders a small Korvane call trace as an HTML page where a browser opens the
  trace itself: the failures first, linked to their rows, a summary (calls,
  failures, total, mean and maximum time per member) and one row per call.
  Reference it with the driver's TraceTransform option. `korvane trace report`
  writes the same page for a trace of any size, and adds the items of
  repeated-capability calls, the IVI-C statuses, dated times and folded IVI-C
  size queries.
  Parameter truncated: 'yes' when the trace file ends before its closing tag.
-->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="html" encoding="UTF-8" indent="yes"
              doctype-system="about:legacy-compat"/>
  <xsl:param name="truncated" select="'no'"/>
  <xsl:param name="source" select="''"/>

  <xsl:key name="by-member" match="Method" use="concat(@Interface, '.', @Name)"/>

  <!-- 10 to the power n, for the exponent of a "%e" duration. -->
  <xsl:template name="pow10">
    <xsl:param name="n"/>
    <xsl:choose>
      <xsl:when test="$n = 0">1</xsl:when>
      <xsl:when test="$n &lt; 0">
        <xsl:variable name="r">
          <xsl:call-template name="pow10"><xsl:with-param name="n" select="$n + 1"/></xsl:call-template>
        </xsl:variable>
        <xsl:value-of select="$r div 10"/>
      </xsl:when>
      <xsl:otherwise>
        <xsl:variable name="r">
          <xsl:call-template name="pow10"><xsl:with-param name="n" select="$n - 1"/></xsl:call-template>
        </xsl:variable>
        <xsl:value-of select="$r * 10"/>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- Seconds of an ExecutionTime text such as "1.250000e-05"; NaN when it is
       absent or no finite, non-negative number (such as "1e-4000" or "1eNaN"). -->
  <xsl:template name="seconds">
    <xsl:param name="text"/>
    <xsl:variable name="mantissa" select="number(substring-before($text, 'e'))"/>
    <xsl:variable name="exponent" select="number(translate(substring-after($text, 'e'), '+', ''))"/>
    <xsl:choose>
      <xsl:when test="contains($text, 'e') and $mantissa &gt;= 0 and floor($exponent) = $exponent
                      and $exponent &gt;= -300 and $exponent &lt;= 300">
        <xsl:variable name="scale">
          <xsl:call-template name="pow10"><xsl:with-param name="n" select="$exponent"/></xsl:call-template>
        </xsl:variable>
        <xsl:value-of select="$mantissa * $scale"/>
      </xsl:when>
      <xsl:when test="not(contains($text, 'e')) and number($text) &gt;= 0"><xsl:value-of select="number($text)"/></xsl:when>
      <xsl:otherwise>NaN</xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- "H:M:S:ms" as "HH:MM:SS.mmm". -->
  <xsl:template name="clock">
    <xsl:param name="text"/>
    <xsl:variable name="m" select="substring-after($text, ':')"/>
    <xsl:variable name="s" select="substring-after($m, ':')"/>
    <xsl:variable name="ms" select="substring-after($s, ':')"/>
    <xsl:choose>
      <xsl:when test="$ms != '' and string(number($ms)) != 'NaN'">
        <xsl:value-of select="concat(format-number(substring-before($text, ':'), '00'), ':',
                              format-number(substring-before($m, ':'), '00'), ':',
                              format-number(substring-before($s, ':'), '00'), '.',
                              format-number($ms, '000'))"/>
      </xsl:when>
      <xsl:otherwise><xsl:value-of select="$text"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- Sum and maximum of the durations of a set of Method elements, halving
       the set so that the recursion stays shallow. -->
  <xsl:template name="total">
    <xsl:param name="calls"/>
    <xsl:param name="max" select="false()"/>
    <xsl:variable name="n" select="count($calls)"/>
    <xsl:choose>
      <xsl:when test="$n = 0">0</xsl:when>
      <xsl:when test="$n = 1">
        <xsl:variable name="one">
          <xsl:call-template name="seconds">
            <xsl:with-param name="text" select="string($calls/Execution/@ExecutionTime)"/>
          </xsl:call-template>
        </xsl:variable>
        <xsl:value-of select="substring('0', 1, number(string($one) = 'NaN'))"/>
        <xsl:value-of select="substring($one, 1, string-length($one) * number(string($one) != 'NaN'))"/>
      </xsl:when>
      <xsl:otherwise>
        <xsl:variable name="half" select="floor($n div 2)"/>
        <xsl:variable name="a">
          <xsl:call-template name="total">
            <xsl:with-param name="calls" select="$calls[position() &lt;= $half]"/>
            <xsl:with-param name="max" select="$max"/>
          </xsl:call-template>
        </xsl:variable>
        <xsl:variable name="b">
          <xsl:call-template name="total">
            <xsl:with-param name="calls" select="$calls[position() &gt; $half]"/>
            <xsl:with-param name="max" select="$max"/>
          </xsl:call-template>
        </xsl:variable>
        <xsl:choose>
          <xsl:when test="not($max)"><xsl:value-of select="$a + $b"/></xsl:when>
          <xsl:when test="number($a) &gt;= number($b)"><xsl:value-of select="$a"/></xsl:when>
          <xsl:otherwise><xsl:value-of select="$b"/></xsl:otherwise>
        </xsl:choose>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template name="micro">
    <xsl:param name="seconds"/>
    <xsl:value-of select="format-number($seconds * 1000000, '#,##0.0')"/> µs</xsl:template>

  <xsl:template match="/">
    <xsl:variable name="calls" select="//Method"/>
    <xsl:variable name="failed" select="$calls[HRESULT and contains('89ABCDEFabcdef', substring(HRESULT/@Value, 3, 1))]"/>
    <xsl:variable name="unfinished" select="$calls[not(HRESULT)]"/>
    <xsl:variable name="total">
      <xsl:call-template name="total"><xsl:with-param name="calls" select="$calls"/></xsl:call-template>
    </xsl:variable>
    <xsl:variable name="slowest">
      <xsl:call-template name="total">
        <xsl:with-param name="calls" select="$calls"/>
        <xsl:with-param name="max" select="true()"/>
      </xsl:call-template>
    </xsl:variable>
    <html lang="en">
      <head>
        <meta charset="UTF-8"/>
        <title>Korvane call trace<xsl:if test="$source != ''">: <xsl:value-of select="$source"/></xsl:if></title>
        <style>
          body { font-family: sans-serif; margin: 1.5em; color: #222; }
          h1 { font-size: 1.4em; } h2 { font-size: 1.1em; margin-top: 1.5em; }
          table { border-collapse: collapse; font-size: 0.9em; }
          th, td { border: 1px solid #ccc; padding: 0.2em 0.5em; text-align: left; vertical-align: top; }
          th { background: #eef; }
          td.num { text-align: right; font-variant-numeric: tabular-nums; }
          tr.failed { background: #fdd; } tr.failed td.status { color: #a00; font-weight: bold; }
          tr.unfinished { background: #ffe9b3; }
          tr.member.failed td.failed { color: #a00; font-weight: bold; }
          .unreadable { color: #a00; }
          tr.slowest td.duration { font-weight: bold; }
          .params { font-family: monospace; white-space: pre-wrap; }
          p.banner { background: #ffe9b3; border: 1px solid #d90; padding: 0.5em; }
        </style>
      </head>
      <body>
        <h1>Korvane call trace<xsl:if test="$source != ''">: <xsl:value-of select="$source"/></xsl:if></h1>
        <xsl:if test="$truncated = 'yes'">
          <p class="banner" id="truncated">This trace was cut short: the file ends before its
            closing tag, as it does when the process ended without closing the driver.
            <xsl:value-of select="count($unfinished)"/> call(s) had not returned.</p>
        </xsl:if>
        <section id="failures">
          <h2>Failures</h2>
          <p><span id="failure-count"><xsl:value-of select="count($failed)"/></span> failed call(s).</p>
          <xsl:if test="$failed">
            <ol>
              <xsl:for-each select="$failed">
                <xsl:variable name="number" select="count(preceding-sibling::Method) + 1"/>
                <li><a href="#call-{$number}">#<xsl:value-of select="$number"/></a>
                  <xsl:text> </xsl:text><xsl:value-of select="concat(@Interface, '.', @Name)"/>:
                  <xsl:value-of select="HRESULT/@Value"/>
                  <xsl:if test="HRESULT/@Message">: <xsl:value-of select="HRESULT/@Message"/></xsl:if></li>
              </xsl:for-each>
            </ol>
          </xsl:if>
        </section>
        <h2>Summary</h2>
        <p id="summary"><span id="call-count"><xsl:value-of select="count($calls)"/></span> calls,
          <xsl:value-of select="count($failed)"/> failed,
          total <xsl:call-template name="micro"><xsl:with-param name="seconds" select="$total"/></xsl:call-template>,
          slowest <xsl:call-template name="micro"><xsl:with-param name="seconds" select="$slowest"/></xsl:call-template>.</p>
        <table id="members">
          <tr><th>Member</th><th>Calls</th><th>Failed</th><th>Total</th><th>Mean</th><th>Max</th></tr>
          <xsl:for-each select="$calls[generate-id() = generate-id(key('by-member', concat(@Interface, '.', @Name))[1])]">
            <xsl:sort select="number(count(key('by-member', concat(@Interface, '.', @Name))[HRESULT and contains('89ABCDEFabcdef', substring(HRESULT/@Value, 3, 1))]) &gt; 0)" data-type="number" order="descending"/>
            <xsl:sort select="count(key('by-member', concat(@Interface, '.', @Name)))" data-type="number" order="descending"/>
            <xsl:sort select="concat(@Interface, '.', @Name)"/>
            <xsl:variable name="group" select="key('by-member', concat(@Interface, '.', @Name))"/>
            <xsl:variable name="failures" select="count($group[HRESULT and contains('89ABCDEFabcdef', substring(HRESULT/@Value, 3, 1))])"/>
            <xsl:variable name="sum">
              <xsl:call-template name="total"><xsl:with-param name="calls" select="$group"/></xsl:call-template>
            </xsl:variable>
            <xsl:variable name="max">
              <xsl:call-template name="total">
                <xsl:with-param name="calls" select="$group"/>
                <xsl:with-param name="max" select="true()"/>
              </xsl:call-template>
            </xsl:variable>
            <tr class="member{substring(' failed', 1, 7 * number($failures &gt; 0))}">
              <td><xsl:value-of select="concat(@Interface, '.', @Name)"/></td>
              <td class="num"><xsl:value-of select="count($group)"/></td>
              <td class="num failed"><xsl:value-of select="$failures"/></td>
              <td class="num"><xsl:call-template name="micro"><xsl:with-param name="seconds" select="$sum"/></xsl:call-template></td>
              <td class="num"><xsl:call-template name="micro"><xsl:with-param name="seconds" select="$sum div count($group[Execution])"/></xsl:call-template></td>
              <td class="num"><xsl:call-template name="micro"><xsl:with-param name="seconds" select="$max"/></xsl:call-template></td>
            </tr>
          </xsl:for-each>
        </table>
        <h2>Calls</h2>
        <table id="calls">
          <tr><th>#</th><th>Time</th><th>Thread</th><th>Interface</th><th>Member</th>
            <th>Inputs</th><th>Outputs</th><th>Status</th><th>Duration</th></tr>
          <xsl:for-each select="$calls">
            <xsl:variable name="seconds">
              <xsl:call-template name="seconds">
                <xsl:with-param name="text" select="string(Execution/@ExecutionTime)"/>
              </xsl:call-template>
            </xsl:variable>
            <xsl:variable name="state">
              <xsl:choose>
                <xsl:when test="not(HRESULT)">unfinished</xsl:when>
                <xsl:when test="contains('89ABCDEFabcdef', substring(HRESULT/@Value, 3, 1))">failed</xsl:when>
                <xsl:otherwise>ok</xsl:otherwise>
              </xsl:choose>
            </xsl:variable>
            <tr id="call-{position()}" class="call {$state}{substring(' slowest', 1, 8 * (Execution and number($seconds) = number($slowest)))}">
              <td class="num"><xsl:value-of select="position()"/></td>
              <td><xsl:call-template name="clock"><xsl:with-param name="text" select="string(@StartTime)"/></xsl:call-template></td>
              <td class="num"><xsl:value-of select="@Thread"/></td>
              <td><xsl:value-of select="@Interface"/></td>
              <td class="member"><xsl:value-of select="@Name"/></td>
              <td class="params"><xsl:apply-templates select="Parameter[@Direction = 'In']"/></td>
              <td class="params"><xsl:apply-templates select="Parameter[@Direction != 'In']"/></td>
              <td class="status">
                <xsl:choose>
                  <xsl:when test="HRESULT">
                    <xsl:choose>
                      <xsl:when test="HRESULT/@Value = '0x00000000'">OK</xsl:when>
                      <xsl:otherwise><xsl:value-of select="HRESULT/@Value"/></xsl:otherwise>
                    </xsl:choose>
                    <xsl:if test="HRESULT/@Message">: <xsl:value-of select="HRESULT/@Message"/></xsl:if>
                  </xsl:when>
                  <xsl:otherwise>did not return</xsl:otherwise>
                </xsl:choose>
              </td>
              <td class="num duration">
                <xsl:choose>
                  <xsl:when test="not(Execution)"/>
                  <xsl:when test="string(number($seconds)) = 'NaN'"><span class="unreadable">unreadable</span></xsl:when>
                  <xsl:otherwise>
                    <xsl:call-template name="micro"><xsl:with-param name="seconds" select="$seconds"/></xsl:call-template>
                  </xsl:otherwise>
                </xsl:choose>
              </td>
            </tr>
          </xsl:for-each>
        </table>
      </body>
    </html>
  </xsl:template>

  <xsl:template match="Parameter">
    <xsl:value-of select="concat(@Name, ' = ', @Value, ' (', @DataType, ')')"/>
    <xsl:if test="position() != last()"><xsl:text>&#10;</xsl:text></xsl:if>
  </xsl:template>
</xsl:stylesheet>
